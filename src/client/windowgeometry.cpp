#include "client/windowgeometry.h"

#include <algorithm>

namespace client {

namespace {
constexpr int kOversizeShrink = 15;
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
