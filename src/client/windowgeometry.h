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

// Closing the window: nothing to store when its bounds equal the remembered ones. Otherwise
// a window wider than the desktop's work area gives up 15 pixels of width and one taller
// than it 15 pixels of height (once each - a maximised window's frame reaches past the work
// area), and the result is the geometry to store and remember.
std::optional<Geometry> geometryToStore(const Geometry& window, const Geometry& remembered,
                                        const QRect& workArea);

} // namespace client
