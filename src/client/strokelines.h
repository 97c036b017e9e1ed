#pragma once

#include "client/stroke.h"
#include "protocol/colour.h"

#include <QList>
#include <QPoint>

#include <vector>

namespace client {

class BoardPicture;

// One wire line of a stroke: a pen-down (CMD_moveit, one point) or a batch of points
// (CMD_draw) that continues the stroke from where the line before it ended.
struct StrokeLine {
    bool penDown;
    protocol::ColourValue colour;
    int width;
    QList<QPoint> points;
};

// Points one CMD_draw carries at most: the drawer's window sends a stroke going on in
// batches of this many (BoardPanel::kBatch is this).
inline constexpr int kPointsPerLine = 101;

// The fewest lines that draw the strokes: per stroke a pen-down at its first point, then its
// other points in full batches of kPointsPerLine, the last batch shorter if need be. A
// stroke without points gives no line.
std::vector<StrokeLine> strokeLines(const std::vector<Stroke>& strokes);
// How many lines strokeLines() gives for one stroke of `points` points.
qsizetype strokeLineCount(qsizetype points);

// Paints the strokes as a board that receives their lines does: a pen-down per stroke and a
// strokeTo() per batch, so the pixels are the very ones every other board shows.
void paintStrokes(BoardPicture& picture, const std::vector<Stroke>& strokes);

} // namespace client
