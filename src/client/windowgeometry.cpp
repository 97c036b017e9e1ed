#include "client/windowgeometry.h"

#include <algorithm>

namespace client {

namespace {
constexpr int kOversizeShrink = 15;
}

Geometry keptOnScreen(const Geometry& stored, const QRect& available)
{
    Geometry kept = stored;
    kept.width = std::max(kept.width, kMinimumClientSize.width());
    kept.height = std::max(kept.height, kMinimumClientSize.height());
    if (available.isEmpty())
        return kept;
    // A work area smaller than the minimum wins: the window is then as large as the area.
    kept.width = std::min(kept.width, available.width());
    kept.height = std::min(kept.height, available.height());
    kept.left =
        std::clamp(kept.left, available.left(), available.left() + available.width() - kept.width);
    kept.top =
        std::clamp(kept.top, available.top(), available.top() + available.height() - kept.height);
    return kept;
}

std::optional<Geometry> geometryToStore(const Geometry& window, const Geometry& remembered,
                                        const QRect& workArea)
{
    if (window == remembered)
        return std::nullopt;
    Geometry stored = window;
    if (stored.width > workArea.width())
        stored.width -= kOversizeShrink;
    if (stored.height > workArea.height())
        stored.height -= kOversizeShrink;
    return stored;
}

} // namespace client
