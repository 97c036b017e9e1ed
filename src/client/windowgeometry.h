#pragma once

#include <QRect>
#include <QSize>

#include <optional>

namespace client {

// A window's outer bounds as the settings file stores them.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};

// Where "Reset Screen Location" puts the window, and the size and place of a first start.
inline constexpr Geometry kDefaultGeometry{3, 3, 797, 541};

// The main panel fills the client area; the client area stays at least 3 pixels larger.
inline constexpr QSize kMainPanelSize{789, 494};
inline constexpr QSize kMinimumClientSize{kMainPanelSize.width() + 3, kMainPanelSize.height() + 3};

// Geometry from the settings file, made fit for the desktop: no larger than the screen's
// work area `available` and no smaller than kMinimumClientSize (a huge window stops
// painting, a tiny one cannot be grabbed), and moved so the whole window lies inside the
// work area. An empty work area (no screen known) bounds the size from below only.
Geometry keptOnScreen(const Geometry& stored, const QRect& available);

// Closing the window: nothing to store when its bounds equal the remembered ones. Otherwise
// a window wider than the desktop's work area gives up 15 pixels of width and one taller
// than it 15 pixels of height (once each - a maximised window's frame reaches past the work
// area), and the result is the geometry to store and remember.
std::optional<Geometry> geometryToStore(const Geometry& window, const Geometry& remembered,
                                        const QRect& workArea);

} // namespace client
