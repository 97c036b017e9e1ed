// The paint bucket: a fill is strokes that every board paints alike, and they must cover
// exactly the area a flood fill finds, pixel for pixel.
#include "client/boardpicture.h"
#include "client/fillplan.h"
#include "client/strokelines.h"

#include <QImage>
#include <queue>

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <numbers>

using client::BoardPicture;
using client::Stroke;

namespace {

constexpr protocol::ColourValue kRed = protocol::rgbColour(220, 20, 30);
constexpr protocol::ColourValue kGreen = protocol::rgbColour(10, 180, 40);
constexpr protocol::ColourValue kBlue = protocol::rgbColour(20, 40, 200);

QRgb rgbOf(protocol::ColourValue c)
{
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                static_cast<int>(c >> 16 & 0xFF));
}

// The area a paint bucket at `seed` covers, found pixel by pixel from the seed.
std::vector<bool> floodMask(const QImage& image, QPoint seed)
{
    const int w = image.width();
    std::vector<bool> mask(static_cast<size_t>(w * image.height()), false);
    const QColor s = image.pixelColor(seed);
    std::queue<QPoint> todo;
    todo.push(seed);
    mask[static_cast<size_t>(seed.y() * w + seed.x())] = true;
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (!image.rect().contains(q) || mask[static_cast<size_t>(q.y() * w + q.x())])
                continue;
            const QColor c = image.pixelColor(q);
            if (std::abs(c.red() - s.red()) > 64 || std::abs(c.green() - s.green()) > 64 ||
                std::abs(c.blue() - s.blue()) > 64)
                continue;
            mask[static_cast<size_t>(q.y() * w + q.x())] = true;
            todo.push(q);
        }
    }
    return mask;
}

QList<QPoint> circle(QPoint centre, int radius, int steps)
{
    QList<QPoint> points;
    for (int i = 0; i <= steps; ++i) {
        const double a = 2.0 * std::numbers::pi * i / steps;
        points.append(centre + QPoint(static_cast<int>(std::lround(radius * std::cos(a))),
                                      static_cast<int>(std::lround(radius * std::sin(a)))));
    }
    return points;
}

void draw(BoardPicture& picture, protocol::ColourValue colour, int width,
          const QList<QPoint>& points)
{
    picture.penDown(colour, width, points.front());
    picture.strokeTo(colour, width, points.mid(1));
}

// A ring of width 5, a rectangle, and a figure with concave arms up and down and two holes,
// its outline antialiased along slopes; every shape closed.
BoardPicture shapes()
{
    BoardPicture picture;
    draw(picture, protocol::kBlack, 5, circle({90, 90}, 60, 90));
    draw(picture, kBlue, 2, {{180, 20}, {330, 20}, {330, 150}, {180, 150}, {180, 20}});
    draw(picture, protocol::kBlack, 1,
         {{40, 200},  {100, 200}, {110, 260}, {130, 200}, {180, 205}, {200, 270}, {220, 190},
          {300, 190}, {300, 240}, {350, 250}, {300, 262}, {300, 340}, {230, 340}, {215, 290},
          {200, 340}, {130, 345}, {115, 300}, {100, 350}, {40, 350},  {60, 280},  {40, 200}});
    draw(picture, protocol::kBlack, 3, circle({160, 270}, 15, 40));
    draw(picture, kRed, 4, circle({260, 300}, 12, 40));
    draw(picture, protocol::kBlack, 2, {{400, 40}, {520, 300}}); // a fringe outside all
    return picture;
}

struct Outcome {
    std::vector<bool> mask;
    QImage before;
    QImage after;
    std::vector<Stroke> plan;
};

// Plans a fill of `picture` at `seed` and paints it onto a copy.
Outcome fillAt(const BoardPicture& picture, QPoint seed, protocol::ColourValue colour,
               int maxLines = client::kMaxFillLines)
{
    Outcome o{floodMask(picture.picture(), seed), picture.picture(), {}, {}};
    const auto plan = client::planFill(picture.picture(), seed, colour, maxLines);
    if (!plan)
        return o;
    o.plan = *plan;
    BoardPicture copy;
    copy.restore(picture.picture());
    client::paintStrokes(copy, o.plan);
    o.after = copy.picture();
    return o;
}

// The area's pixels have the colour exactly, every other pixel is as it was, and the
// strokes never set a point outside the area.
void expectExactFill(const Outcome& o, protocol::ColourValue colour)
{
    ASSERT_FALSE(o.plan.empty());
    const int w = o.before.width();
    qsizetype wrong = 0;
    for (int y = 0; y < o.before.height(); ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb want =
                o.mask[static_cast<size_t>(y * w + x)] ? rgbOf(colour) : o.before.pixel(x, y);
            if (o.after.pixel(x, y) != want && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " in area "
                              << o.mask[static_cast<size_t>(y * w + x)];
        }
    }
    EXPECT_EQ(wrong, 0);
    for (const Stroke& s : o.plan) {
        EXPECT_EQ(s.width, 1);
        for (const QPoint& p : s.points)
            EXPECT_TRUE(o.before.rect().contains(p) &&
                        o.mask[static_cast<size_t>(p.y() * w + p.x())])
                << p.x() << "," << p.y();
    }
}

qsizetype count(const std::vector<bool>& mask)
{
    return std::count(mask.begin(), mask.end(), true);
}

} // namespace

TEST(Fill, RestsOnThinLinesCoveringExactlyThePixelsBetweenTheirEnds)
{
    for (const int width : {0, 1}) {
        BoardPicture picture;
        picture.penDown(kRed, width, {10, 20});
        picture.strokeTo(kRed, width, {{30, 20}, {30, 21}, {12, 21}});
        const QImage& image = picture.picture();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool inLine =
                    (y == 20 && x >= 10 && x <= 30) || (y == 21 && x >= 12 && x <= 30);
                ASSERT_EQ(image.pixel(x, y), inLine ? rgbOf(kRed) : qRgb(255, 255, 255))
                    << width << ": " << x << "," << y;
            }
        }
    }
}

TEST(Fill, CoversExactlyTheAreaOfEachShapeAndNothingElse)
{
    const BoardPicture picture = shapes();
    struct Case {
        const char* name;
        QPoint seed;
    };
    for (const Case& c : {Case{"in the ring", {90, 90}}, Case{"in the rectangle", {250, 80}},
                          Case{"in the figure", {70, 300}}, Case{"outside", {5, 360}},
                          Case{"the ring itself", {90, 30}}, Case{"a hole's rim", {260, 288}}}) {
        SCOPED_TRACE(c.name);
        const Outcome o = fillAt(picture, c.seed, kGreen);
        expectExactFill(o, kGreen);
        EXPECT_LE(client::strokeLines(o.plan).size(), size_t{client::kMaxFillLines});
    }

    // The figure's area reaches into every arm and around both holes, and takes the light
    // fringe of its sloped outline; the inside of the holes stays.
    const Outcome figure = fillAt(picture, {70, 300}, kGreen);
    for (const QPoint inArm :
         {QPoint(70, 210), QPoint(155, 215), QPoint(260, 200), QPoint(320, 250), QPoint(70, 340),
          QPoint(165, 335), QPoint(265, 330), QPoint(190, 270)})
        EXPECT_TRUE(figure.mask[static_cast<size_t>(inArm.y() * 533 + inArm.x())]);
    for (const QPoint inNotch : {QPoint(112, 215), QPoint(215, 320)})
        EXPECT_FALSE(figure.mask[static_cast<size_t>(inNotch.y() * 533 + inNotch.x())]);
    EXPECT_EQ(figure.after.pixel(160, 270), qRgb(255, 255, 255));
    EXPECT_EQ(figure.after.pixel(260, 300), qRgb(255, 255, 255));
    qsizetype fringe = 0;
    for (int y = 0; y < 369; ++y)
        for (int x = 0; x < 533; ++x)
            fringe += figure.mask[static_cast<size_t>(y * 533 + x)] &&
                      figure.before.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(fringe, 20);
    EXPECT_GT(count(figure.mask), 20000);
}

TEST(Fill, RefillsAFilledAreaAndRefusesWhatIsDoneAlreadyOrOffTheBoard)
{
    BoardPicture picture = shapes();
    const Outcome red = fillAt(picture, {90, 90}, kRed);
    ASSERT_FALSE(red.plan.empty());
    picture.restore(red.after);
    // Red again: nothing to do. Another colour over the red: the same pixels.
    EXPECT_FALSE(client::planFill(picture.picture(), {90, 90}, kRed));
    EXPECT_FALSE(client::planFill(picture.picture(), {120, 70}, kRed));
    const Outcome blue = fillAt(picture, {90, 90}, kBlue);
    expectExactFill(blue, kBlue);
    EXPECT_EQ(blue.mask, red.mask);

    for (const QPoint off : {QPoint(-1, 5), QPoint(533, 5), QPoint(5, 369), QPoint(5, -1)})
        EXPECT_FALSE(client::planFill(picture.picture(), off, kBlue));
}

TEST(Fill, AWholeWhiteBoardTakesAFewLines)
{
    const BoardPicture white;
    const Outcome o = fillAt(white, {266, 184}, kBlue);
    expectExactFill(o, kBlue);
    EXPECT_LE(client::strokeLines(o.plan).size(), 10u);
    EXPECT_EQ(count(o.mask), 533 * 369);
}

TEST(Fill, AnIntricateAreaIsRefusedRatherThanSentPastTheBound)
{
    // White rows, and between them rows of a checkerboard of 1-pixel cells: one area of
    // tens of thousands of runs, most of them a single pixel.
    QImage image(533, 369, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 1; y < 369; y += 2)
        for (int x = (y / 2) % 2; x < 533; x += 2)
            image.setPixel(x, y, qRgb(0, 0, 0));
    BoardPicture picture;
    picture.restore(image);
    EXPECT_FALSE(client::planFill(image, {0, 0}, kRed));
    EXPECT_FALSE(client::planFill(image, {0, 0}, kRed, 1000));

    // Allowed that many lines, the very same fill is exact: the bound alone refused it.
    const Outcome o = fillAt(picture, {0, 0}, kRed, 1000000);
    expectExactFill(o, kRed);
    EXPECT_GT(client::strokeLines(o.plan).size(), 10000u);
}
