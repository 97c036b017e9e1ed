#pragma once

#include "protocol/colour.h"

#include <QList>
#include <QPoint>

namespace client {

// One stroke of the drawer's as every board paints it: a pen-down at points[0], then lines
// through the remaining points in order, all with one pen.
struct Stroke {
    protocol::ColourValue colour = protocol::kBlack;
    int width = 0;
    QList<QPoint> points;
};

} // namespace client
