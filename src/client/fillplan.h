#pragma once

#include "client/stroke.h"
#include "protocol/colour.h"

#include <QImage>
#include <QPoint>

#include <optional>
#include <vector>

namespace client {

// Wire lines a fill may take at most. Every line goes through the host's budget for the
// drawer's connection, so the drawer's window paces them (LinePacer): 400 lines take about
// six seconds from a full burst, and the drawer's next strokes wait behind them. A fill
// that needs more is refused instead.
inline constexpr int kMaxFillLines = 400;

// Largest difference in any one colour channel between a pixel and the seed pixel for the
// pixel to be filled too: the light antialiased fringe along a black line is filled, the
// line itself is not.
inline constexpr int kFillTolerance = 64;

// The strokes that fill the area around `seed` with `colour`, as a paint bucket does, made
// of what every board already draws: the area is the 4-connected pixels whose colour is
// within kFillTolerance of the seed pixel's, and width-1 strokes cover it exactly. A
// width-1 line between pixel centres of one row paints just those pixels and the pixels
// between, and a step of one pixel down paints just the two pixels, so every stroke runs
// along the rows of the area and steps down from one row's run into the next row's, to
// cover exactly the area's pixels in `colour` and not one pixel outside it. A stroke may
// walk back along a run it has painted to the column where it steps down; runs are paired
// with the runs below them so that there are as few pen-downs as can be (a whole white board
// is one stroke of 9 lines).
//
// nullopt, and nothing to draw, when the seed is off the board, when the area shows
// `colour` everywhere already, or when the strokes would take more than maxLines lines.
std::optional<std::vector<Stroke>> planFill(const QImage& board, QPoint seed,
                                            protocol::ColourValue colour,
                                            int maxLines = kMaxFillLines);

} // namespace client
