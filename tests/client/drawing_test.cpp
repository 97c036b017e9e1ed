// The drawer's board: strokes drawn with the mouse go out as a pen-down and batches of
// points, and a board that replays them shows the very same pixels.
#include "client/drawingboard.h"
#include "client/tchat.h"

#include "fakehost.h"
#include "fakeservices.h"
#include "ui_tchat.h"

#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using namespace clienttest;

namespace {

class Drawing : public ::testing::Test, public WindowUnderTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.seat(*window, 1));
        host.send("CMD_pickcatagory+1");
        host.send("CMD_nextplayer+1+0+_____ ");
        ASSERT_TRUE(support::spinUntil([&] { return window->state().currentDrawer == 1; }));
        host.take();
    }

    client::DrawingBoard& board() { return *window->ui().image_main; }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, board().mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&board(), &event);
    }
    void press(QPoint at) { mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void drag(QPoint at) { mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void hover(QPoint at) { mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    void release(QPoint at) { mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, {}); }

    // Points of each CMD_draw, in order; the pen-downs as they are.
    static QList<int> batchSizes(const QList<QByteArray>& sent)
    {
        QList<int> sizes;
        for (const QByteArray& m : sent) {
            if (m.startsWith("CMD_draw+"))
                sizes.append(static_cast<int>(m.count(',')));
        }
        return sizes;
    }

    FakeHost host;
};

} // namespace

TEST_F(Drawing, AStrokeGoesOutAsAPenDownAndBatchesOf101Points)
{
    press({10, 10});
    for (int i = 1; i <= 250; ++i)
        drag({10 + i, 10 + i % 50});
    release({260, 10});
    const QList<QByteArray> sent = host.take();
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(sent.front(), "CMD_moveit+1+clBlack+3+10+10");
    EXPECT_EQ(sent.count("CMD_moveit+1+clBlack+3+10+10"), 1);
    EXPECT_EQ(batchSizes(sent), (QList<int>{101, 101, 48}));
    EXPECT_TRUE(sent[1].startsWith("CMD_draw+1+clBlack+3++11,11+12,12+"));
    EXPECT_TRUE(window->ui().button_pass->isHidden()); // touching the board ends passing
}

TEST_F(Drawing, AClickIsClosedByTheNextMovementWithAnEmptyBatch)
{
    press({40, 40});
    release({40, 40});
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_moveit+1+clBlack+3+40+40"});
    hover({45, 40});
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_draw+1+clBlack+3++"});
    hover({50, 40}); // the stroke is over: nothing more
    EXPECT_TRUE(host.take().isEmpty());
    EXPECT_EQ(board().picture().pixelColor(40, 40), QColor(Qt::black)); // the click's dot
}

TEST_F(Drawing, AReceivingBoardShowsTheDrawersPixelsExactly)
{
    // Wide and thin pens, strokes leaving the board and coming back, a dot, a new colour.
    window->ui().UpDown1->setValue(17);
    press({30, 300});
    for (int i = 0; i < 240; ++i)
        drag({30 + i * 3, 300 - (i * i) % 380});
    release({750, 50});
    window->ui().UpDown1->setValue(1);
    window->ui().ColorButton->setColour(protocol::rgbColour(200, 30, 90));
    press({100, 100});
    release({100, 100});
    hover({101, 100});
    press({5, 360});
    for (int i = 0; i < 120; ++i)
        drag({5 + i * 4, 360 - i * 3});
    release({485, 0});

    WindowUnderTest receiver;
    receiver.host("CMD_sendlogininfo+2");
    for (const QByteArray& m : host.take())
        receiver.host(m);
    EXPECT_EQ(receiver.window->ui().image_main->picture(), board().picture());
    EXPECT_NE(board().picture().pixelColor(100, 100), QColor(Qt::white));
}

TEST_F(Drawing, OnlyTheDrawerDrawsAndTheTrashWipesForEverybody)
{
    host.send("CMD_nextplayer+2+0+_____ "); // someone else's turn
    ASSERT_TRUE(support::spinUntil([&] { return window->state().currentDrawer == 2; }));
    press({20, 20});
    drag({60, 60});
    release({60, 60});
    window->ui().clear->click();
    EXPECT_TRUE(host.take().isEmpty());
    EXPECT_EQ(board().picture().pixelColor(40, 40), QColor(Qt::white));

    host.send("CMD_nextplayer+1+0+_____ ");
    ASSERT_TRUE(support::spinUntil([&] { return window->state().currentDrawer == 1; }));
    press({20, 20});
    drag({60, 60});
    release({60, 60});
    host.take();
    window->ui().clear->click();
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_clearmain+1"});
    EXPECT_EQ(board().picture().pixelColor(40, 40), QColor(Qt::white));
}

TEST_F(Drawing, ThePenStaysUnderThePointerWhateverTheWindowsSize)
{
    window->show();
    ASSERT_TRUE(support::spinUntil([&] { return window->isVisible(); }));
    const QSize designed = window->ui().centralwidget->size();
    const QRect chatDesigned = window->ui().mainchat->geometry();
    // As designed, and maximised on a larger screen: the whole layout grows by one factor.
    for (const double factor : {1.0, 1.625}) {
        window->resize(window->size() + designed * (factor - 1.0) + QSize(4, 4));
        ASSERT_TRUE(support::spinUntil(
            [&] { return window->ui().centralwidget->width() >= designed.width() * factor; }));
        QCoreApplication::processEvents();
        const QSize shown = board().size();
        EXPECT_NEAR(shown.width(), client::DrawingBoard::kWidth * factor, 1.0) << factor;
        EXPECT_NEAR(shown.height(), client::DrawingBoard::kHeight * factor, 1.0) << factor;
        EXPECT_NEAR(window->ui().mainchat->width(), chatDesigned.width() * factor, 1.0);

        // Board pixels on the wire and in the picture, at the screen point the pointer was.
        const QPoint start(100, 50);
        const QPoint end(400, 300);
        const auto onScreen = [&](QPoint p) {
            return QPoint(
                static_cast<int>((p.x() + 0.5) * shown.width() / client::DrawingBoard::kWidth),
                static_cast<int>((p.y() + 0.5) * shown.height() / client::DrawingBoard::kHeight));
        };
        press(onScreen(start));
        drag(onScreen(end));
        release(onScreen(end));
        hover(onScreen({500, 20}));
        const QList<QByteArray> sent = host.take();
        ASSERT_GE(sent.size(), 2) << factor;
        EXPECT_EQ(sent[0], "CMD_moveit+1+clBlack+3+100+50") << factor;
        EXPECT_EQ(sent[1], "CMD_draw+1+clBlack+3++400,300+") << factor;
        EXPECT_EQ(board().picture().pixelColor(end), QColor(Qt::black));
        // What the screen shows under the pointer is the stroke.
        const QImage screen = board().grab().toImage();
        EXPECT_LT(qGray(screen.pixel(onScreen(start))), 64) << factor;
        EXPECT_LT(qGray(screen.pixel(onScreen(end))), 64) << factor;
        EXPECT_EQ(screen.pixelColor(onScreen({300, 50})), QColor(Qt::white)) << factor;
        window->ui().clear->click();
        host.take();
    }
}

TEST_F(Drawing, TheToolsSendOnlyStrokesAndWipesAndEveryBoardShowsTheDrawersPixels)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Ui::Tchat& u = window->ui();
    QList<QByteArray> sent;
    const auto collect = [&] {
        EXPECT_TRUE(support::spinUntil(
            [&] {
                sent += host.take();
                return window->board().linesWaiting() == 0;
            },
            20000));
        sent += host.take();
    };
    const auto stroke = [&](const QList<QPoint>& points) {
        press(points.front());
        for (const QPoint& p : points.mid(1))
            drag(p);
        release(points.back());
        hover(points.back() + QPoint(1, 0));
    };
    // A red zig-zag, long enough for several batches; the eraser across it.
    u.ColorButton->setColour(protocol::rgbColour(220, 20, 20));
    u.UpDown1->setValue(5);
    QList<QPoint> zigzag;
    for (int i = 0; i < 250; ++i)
        zigzag.append({20 + i * 2, 60 + (i % 20) * 4});
    stroke(zigzag);
    u.button_eraser->click();
    EXPECT_EQ(u.UpDown1->value(), client::BoardPanel::kStartEraserWidth);
    stroke({{100, 40}, {100, 160}});
    EXPECT_EQ(board().picture().pixelColor(100, 100), QColor(Qt::white));
    // A black box, filled green inside.
    u.button_eraser->click();
    EXPECT_EQ(u.UpDown1->value(), 5);
    u.ColorButton->setColour(protocol::kBlack);
    stroke({{300, 200}, {450, 200}, {450, 330}, {300, 330}, {300, 200}});
    u.ColorButton->setColour(protocol::rgbColour(0, 200, 0));
    u.button_fill->click();
    press({370, 260});
    release({370, 260});
    const QColor green(0, 200, 0);
    EXPECT_EQ(board().picture().pixelColor(370, 260), green);
    EXPECT_EQ(board().picture().pixelColor(470, 260), QColor(Qt::white)); // outside the box
    const QImage filled = board().picture();

    // Undo takes the fill away, redo brings it back pixel for pixel.
    u.button_undo->click();
    EXPECT_EQ(board().picture().pixelColor(370, 260), QColor(Qt::white));
    u.button_redo->click();
    EXPECT_TRUE(board().picture() == filled);
    // Ctrl+Z in the empty chat field undoes drawing; with typing there, the typing first.
    u.mychat->setFocus();
    u.mychat->setText(QString()); // nothing typed to undo
    QTest::keyClick(u.mychat, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(board().picture().pixelColor(370, 260), QColor(Qt::white));
    QTest::keyClicks(u.mychat, QStringLiteral("hi"));
    collect();
    const qsizetype before = sent.size();
    QTest::keyClick(u.mychat, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(u.mychat->text().isEmpty());
    collect();
    EXPECT_EQ(sent.size(), before);
    QTest::keyClick(u.mychat, Qt::Key_Z, Qt::ControlModifier); // the box goes too
    EXPECT_EQ(board().picture().pixelColor(300, 265), QColor(Qt::white));
    collect();

    // Only the three messages every window knows; the last resend in full batches.
    qsizetype lastWipe = -1;
    for (qsizetype i = 0; i < sent.size(); ++i) {
        const QByteArray& m = sent[i];
        EXPECT_TRUE(m.startsWith("CMD_moveit+1+") || m.startsWith("CMD_draw+1+") ||
                    m == "CMD_clearmain+1")
            << m.left(40).constData();
        if (m == "CMD_clearmain+1")
            lastWipe = i;
    }
    ASSERT_GE(lastWipe, 0);
    const QList<int> resent = batchSizes(sent.mid(lastWipe));
    // The zig-zag's 249 points and the eraser's one: 101, 101, 47, then 1.
    EXPECT_EQ(resent, (QList<int>{101, 101, 47, 1}));

    WindowUnderTest receiver;
    receiver.host("CMD_sendlogininfo+2");
    for (const QByteArray& m : sent)
        receiver.host(m);
    EXPECT_TRUE(receiver.window->ui().image_main->picture() == board().picture());
}

TEST_F(Drawing, AnUndoOfALongTurnIsPacedAndArrivesWhole)
{
    // 100 short strokes: 200 lines, more than the pacer lets go at once.
    for (int i = 0; i < 100; ++i) {
        press({10 + i * 2, 20 + i});
        drag({30 + i * 2, 40 + i});
        release({30 + i * 2, 40 + i});
    }
    EXPECT_GT(window->board().linesWaiting(), 0u);
    window->ui().button_undo->click();
    QList<QByteArray> sent;
    ASSERT_TRUE(support::spinUntil(
        [&] {
            sent += host.take();
            return window->board().linesWaiting() == 0;
        },
        30000));
    sent += host.take();
    EXPECT_EQ(sent.count("CMD_clearmain+1"), 1);
    EXPECT_EQ(sent.size(), 200 + 1 + 198);
    WindowUnderTest receiver;
    receiver.host("CMD_sendlogininfo+2");
    for (const QByteArray& m : sent)
        receiver.host(m);
    EXPECT_TRUE(receiver.window->ui().image_main->picture() == board().picture());
    EXPECT_EQ(board().picture().pixelColor(228, 139), QColor(Qt::white)); // the last stroke is gone
    EXPECT_EQ(board().picture().pixelColor(226, 138), QColor(Qt::black)); // the one before stays
}

TEST_F(Drawing, AReceivedBatchWithABadPointDrawsThePointsBeforeIt)
{
    WindowUnderTest receiver;
    receiver.host("CMD_sendlogininfo+2");
    const QImage& picture = receiver.window->ui().image_main->picture();
    receiver.host("CMD_moveit+1+clBlack+3+20+100");
    receiver.host("CMD_draw+1+clBlack+3++120,100+220,x+320,100+");
    receiver.host("CMD_moveit+1+clBlack+3+20+200");
    receiver.host("CMD_draw+1+clBlack+3++120,200+220,+320,200+"); // no y
    receiver.host("CMD_moveit+1+clBlack+3+20+300");
    receiver.host("CMD_draw+1+clBlack+3++120,300+220+320,300+"); // no comma
    for (int y : {100, 200, 300}) {
        EXPECT_EQ(picture.pixelColor(70, y), QColor(Qt::black)) << y;
        EXPECT_EQ(picture.pixelColor(170, y), QColor(Qt::white)) << y;
        EXPECT_EQ(picture.pixelColor(270, y), QColor(Qt::white)) << y;
    }
    // The next batch goes on from the last good point.
    receiver.host("CMD_draw+1+clBlack+3++120,350+");
    EXPECT_EQ(picture.pixelColor(120, 325), QColor(Qt::black));
}

namespace {

QImage drawn(const std::function<void(client::DrawingBoard&)>& draw)
{
    client::DrawingBoard board;
    draw(board);
    return board.picture();
}

// The distance from a pixel's centre to the segment between two pixel centres.
double distance(QPoint pixel, QPointF a, QPointF b)
{
    const QPointF p(pixel);
    const QPointF d = b - a;
    const double length2 = QPointF::dotProduct(d, d);
    const double t =
        length2 == 0.0 ? 0.0 : std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0);
    const QPointF nearest = a + t * d;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

} // namespace

TEST(Strokes, AStrokeSplitAnyWayGivesTheSamePixels)
{
    // A zig-zag with sharp turns, a repeated point and a trip off the board, at a wide pen
    // of a light colour (where a joint painted twice would show) and at the thinnest.
    QList<QPoint> points;
    for (int i = 0; i < 60; ++i)
        points.append({20 + i * 8, i % 2 == 0 ? 60 + i : 300 - i});
    points.insert(30, points[30]);
    points.insert(45, {700, -80});
    const protocol::ColourValue pen = protocol::rgbColour(240, 160, 40);
    for (int width : {0, 1, 4, 23}) {
        const QPoint start(10, 10);
        const QImage whole = drawn([&](client::DrawingBoard& b) {
            b.penDown(pen, width, start);
            b.strokeTo(pen, width, points);
        });
        const QImage pointByPoint = drawn([&](client::DrawingBoard& b) {
            b.penDown(pen, width, start);
            for (const QPoint& p : points)
                b.strokeTo(pen, width, {p});
        });
        std::mt19937 random(static_cast<unsigned>(width));
        const QImage batches = drawn([&](client::DrawingBoard& b) {
            b.penDown(pen, width, start);
            for (qsizetype at = 0; at < points.size();) {
                const auto n = std::uniform_int_distribution<qsizetype>(1, 9)(random);
                b.strokeTo(pen, width, points.mid(at, n));
                at += n;
            }
        });
        EXPECT_TRUE(whole == pointByPoint) << "width " << width;
        EXPECT_TRUE(whole == batches) << "width " << width;
        EXPECT_NE(whole.pixelColor(points[10]), QColor(Qt::white));
    }
}

TEST(Strokes, AStraightLineInPiecesHasNoBeadsAtItsJoints)
{
    const protocol::ColourValue pen = protocol::rgbColour(60, 120, 250);
    // Flat, steep, and slanted with pieces of different lengths along the same straight.
    const QList<QList<QPoint>> lines = {{{30, 50}, {200, 50}, {500, 50}},
                                        {{100, 20}, {100, 33}, {100, 340}},
                                        {{10, 350}, {110, 300}, {130, 290}, {510, 100}}};
    for (int width : {1, 3, 8, 40}) {
        for (const QList<QPoint>& line : lines) {
            const QImage pieces = drawn([&](client::DrawingBoard& b) {
                b.penDown(pen, width, line.front());
                b.strokeTo(pen, width, line.mid(1));
            });
            const QImage straight = drawn([&](client::DrawingBoard& b) {
                b.penDown(pen, width, line.front());
                b.strokeTo(pen, width, {line.back()});
            });
            EXPECT_TRUE(pieces == straight)
                << "width " << width << " from " << line.front().x() << "," << line.front().y();
        }
    }
}

TEST(Strokes, ALineCoversItsWidthAndNothingBeyond)
{
    // Lines across the board, from far outside it and back in, at every slope's kind.
    struct Line {
        QPoint from;
        QPoint to;
        int width;
    };
    for (const Line& line :
         {Line{{40, 320}, {490, 45}, 12}, Line{{-9000, 5000}, {9000, -3000}, 100},
          Line{{266, -10000}, {300, 10000}, 7}, Line{{400, 180}, {400, 180}, 30},
          Line{{10, 20}, {520, 21}, 0}}) {
        const QImage picture = drawn([&](client::DrawingBoard& b) {
            b.penDown(protocol::kBlack, line.width, line.from);
            b.strokeTo(protocol::kBlack, line.width, {line.to});
        });
        const double half = std::max(line.width, 1) / 2.0;
        int wrong = 0;
        for (int y = 0; y < client::DrawingBoard::kHeight; ++y) {
            for (int x = 0; x < client::DrawingBoard::kWidth; ++x) {
                const double d = distance({x, y}, line.from, line.to);
                const QColor c = picture.pixelColor(x, y);
                const bool black = c == QColor(Qt::black);
                const bool white = c == QColor(Qt::white);
                // Whole inside, nothing outside, and on the edge's ramp more than half on
                // the inner side of the line's edge, less than half on the outer side.
                const bool right = d <= half - 0.5   ? black
                                   : d >= half + 0.5 ? white
                                   : d < half        ? !white
                                                     : !black;
                wrong += right ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0) << "width " << line.width << " from " << line.from.x() << ","
                            << line.from.y();
    }
}

TEST(Strokes, AWipeAndACaptionEndTheStrokeSoItsNextLinesShow)
{
    client::DrawingBoard board;
    board.penDown(protocol::kBlack, 5, {10, 10});
    board.strokeTo(protocol::kBlack, 5, {{200, 10}});
    board.wipe();
    board.strokeTo(protocol::kBlack, 5, {{10, 10}}); // back over the same pixels
    EXPECT_EQ(board.picture().pixelColor(100, 10), QColor(Qt::black));

    board.writeCaption(QStringLiteral("          ")); // its white box, with no letters
    ASSERT_EQ(board.picture().pixelColor(20, 10), QColor(Qt::white));
    board.strokeTo(protocol::kBlack, 5, {{200, 10}});
    EXPECT_EQ(board.picture().pixelColor(20, 10), QColor(Qt::black));
}
