#pragma once

#include "client/drawinghistory.h"

#include <QList>
#include <QPoint>

namespace benchturn {

// A busy turn as the drawer's window records it: 400 strokes of varied pens, each a pen-down
// and four batches of 12 points, as a window that flushes small batches sends them: 2,000
// lines on the wire.
inline constexpr int kStrokes = 400;
inline constexpr int kBatchesPerStroke = 4;
inline constexpr int kPointsPerBatch = 12;
inline constexpr int kTurnLines = kStrokes * (1 + kBatchesPerStroke);

inline client::DrawingHistory busyTurn()
{
    client::DrawingHistory history;
    for (int s = 0; s < kStrokes; ++s) {
        const protocol::ColourValue colour =
            protocol::rgbColour(s * 37 % 256, s * 91 % 256, s * 13 % 256);
        const int width = s * 7 % 40;
        QPoint at(s * 13 % 533, s * 29 % 369);
        history.beginStroke(colour, width, at);
        for (int b = 0; b < kBatchesPerStroke; ++b) {
            QList<QPoint> batch;
            for (int p = 0; p < kPointsPerBatch; ++p) {
                at += QPoint((s + p) % 7 - 3, (s + b + p) % 5 - 2);
                batch.append(at);
            }
            history.extendStroke(batch);
        }
    }
    return history;
}

} // namespace benchturn
