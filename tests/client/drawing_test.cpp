// The drawer's board: strokes drawn with the mouse go out as a pen-down and batches of
// points, and a board that replays them shows the very same pixels.
#include "client/drawingboard.h"
#include "client/tchat.h"

#include "fakehost.h"
#include "fakeservices.h"
#include "ui_tchat.h"

#include <QMouseEvent>

#include <gtest/gtest.h>

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
