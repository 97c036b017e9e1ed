// The wire lines of strokes: as few as can carry them, and painted from them a board
// shows the very pixels the drawer's mouse drew.
#include "client/boardpicture.h"
#include "client/strokelines.h"

#include <cmath>
#include <gtest/gtest.h>

using client::BoardPicture;
using client::Stroke;

namespace {
constexpr protocol::ColourValue kPenColour = protocol::rgbColour(220, 20, 30);
} // namespace

TEST(StrokeLines, GoOutAsAPenDownAndFullBatchesInAsFewLinesAsPossible)
{
    Stroke long250{kPenColour, 7, {}};
    for (int i = 0; i < 250; ++i)
        long250.points.append({i, i % 37});
    const auto lines = client::strokeLines({long250});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].penDown);
    EXPECT_EQ(lines[0].points, long250.points.mid(0, 1));
    const QList<qsizetype> sizes{lines[1].points.size(), lines[2].points.size(),
                                 lines[3].points.size()};
    EXPECT_EQ(sizes, (QList<qsizetype>{101, 101, 47}));
    QList<QPoint> joined;
    for (const auto& line : lines) {
        EXPECT_EQ(line.colour, kPenColour);
        EXPECT_EQ(line.width, 7);
        joined += line.points;
    }
    EXPECT_EQ(joined, long250.points);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_FALSE(lines[i].penDown);

    // Short strokes: 1 point is just the pen-down, 2 to 102 points one batch more, 103 two;
    // a stroke without points sends nothing.
    std::vector<Stroke> shorts;
    for (const int n : {1, 2, 102, 103, 0, 1, 50}) {
        Stroke s{static_cast<protocol::ColourValue>(n), 3, {}};
        for (int i = 0; i < n; ++i)
            s.points.append({n, i});
        shorts.push_back(s);
    }
    const auto shortLines = client::strokeLines(shorts);
    QList<int> penDownAt;
    for (size_t i = 0; i < shortLines.size(); ++i) {
        if (shortLines[i].penDown)
            penDownAt.append(static_cast<int>(i));
    }
    EXPECT_EQ(shortLines.size(), 1u + 2 + 2 + 3 + 1 + 2);
    EXPECT_EQ(penDownAt, (QList<int>{0, 1, 3, 5, 8, 9}));
    EXPECT_EQ(shortLines[9].colour, 50u);
    EXPECT_EQ(shortLines[10].points.size(), 49);
}

TEST(StrokeLines, PaintedFromTheirLinesShowTheMousesPixels)
{
    // Each stroke drawn as the mouse does, a point at a time, and again from its lines.
    std::vector<Stroke> strokes;
    BoardPicture byMouse;
    for (int k = 0; k < 12; ++k) {
        Stroke s{protocol::rgbColour(20 * k, 255 - 20 * k, 90), (k * 7) % 31, {}};
        const int n = 1 + (k * 53) % 260;
        for (int i = 0; i < n; ++i)
            s.points.append({-30 + (i * 5 + k * 40) % 600,
                             static_cast<int>(180 + 170 * std::sin(i / (8.0 + k)))});
        byMouse.penDown(s.colour, s.width, s.points.front());
        for (qsizetype i = 1; i < s.points.size(); ++i)
            byMouse.strokeTo(s.colour, s.width, {s.points[i]});
        strokes.push_back(s);
    }
    BoardPicture byLines;
    client::paintStrokes(byLines, strokes);
    EXPECT_EQ(byLines.picture(), byMouse.picture());
}
