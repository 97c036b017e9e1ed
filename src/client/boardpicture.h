#pragma once

#include "protocol/colour.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

#include <vector>

namespace client {

// The 533 by 369 picture every board shows, and the strokes that paint it: each line
// continues from the picture's current position with a pen of the stroke's colour and width.
// A plain class, so a replay or an export can paint a turn away from the screen.
//
// A stroke runs from a pen-down, or a change of colour or width, to the next one; a wipe
// or a caption ends it too. Its lines are round-capped capsules around the segments
// between pixel centres, antialiased by distance, and the stroke keeps per pixel only the
// largest coverage any of its lines gave (with the pixel as it was before the stroke), so
// where lines meet nothing is painted twice: no darker beads at the joints. The largest
// coverage does not depend on the order of the lines or on how they came in batches,
// which is what lets the drawer's board, painting as the mouse moves, show the very same
// pixels as a board painting the batches the host relays or a newcomer's replay.
//
// Strokes come from the wire, so the picture bounds what it is given before any arithmetic
// or painting: widths to the pen spinner's 0 to kMaxPenWidth, coordinates to
// +-kMaxCoordinate (far outside the board, where a line is only clipped, and small enough
// that every sum stays exact). A stroke then costs at most a board-sized line per point.
class BoardPicture {
public:
    static constexpr int kWidth = 533;
    static constexpr int kHeight = 369;
    static constexpr int kMaxPenWidth = 100;
    static constexpr int kMaxCoordinate = 10000;

    BoardPicture();

    // Each painting call returns the board pixels it may have changed.
    // A pen-down: a dot at `at`, which becomes the current position.
    QRect penDown(protocol::ColourValue colour, int width, QPoint at);
    // Lines from the current position through every point in order.
    QRect strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points);
    // Fills the board with white.
    void wipe();
    // Puts back a picture of the board's size (one taken from picture()); ends the stroke.
    void restore(const QImage& picture);
    // Writes a line of black text at (4, 4) on an opaque white box, in `font` at a pixel size
    // of 16, into the picture: it stays there until the board is wiped.
    QRect writeCaption(const QString& text, QFont font);

    const QImage& picture() const { return m_picture; }

private:
    // Makes the stroke going on one of this colour and width, starting a new one if need be.
    void continueStroke(protocol::ColourValue colour, int width);
    void endStroke();
    // Paints the stroke's line between two bounded points.
    QRect paintLine(QPoint from, QPoint to);

    QImage m_picture;
    QPoint m_position;
    // The stroke going on: its pen, and for every board pixel the coverage its lines gave
    // (0 to 255) and, once that is above 0, the pixel as it was before the stroke.
    bool m_inStroke = false;
    QRgb m_strokeColour = 0;
    int m_strokeWidth = 0;
    std::vector<quint8> m_coverage;
    std::vector<QRgb> m_before;
    QRect m_strokeArea; // the pixels whose coverage may be above 0
};

} // namespace client
