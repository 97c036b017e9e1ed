// The drawer's tools through a real host: what the eraser, a fill, an undo and a redo put
// on the wire is what every window already knows (a bot sees pen-downs, batches and wipes
// only), and a second window's board shows the drawer's pixels exactly, as does the board
// of a window that joins after the undo and is sent the host's record.
#include "client/boardpanel.h"
#include "client/drawingboard.h"
#include "client/fakeservices.h"
#include "client/tchat.h"

#include "livehost.h"
#include "ui_tchat.h"

#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>
#include <gtest/gtest.h>

namespace integration {
namespace {

class Tools : public LiveHost {
protected:
    QStringList hostArguments() const override
    {
        return {QStringLiteral("--second-ms"), QStringLiteral("20")};
    }

    bool seatWindow(clienttest::WindowUnderTest& w, const QString& name, int slot)
    {
        w.window->processParams(
            {name, QStringLiteral("127.0.0.1:%1").arg(host.port()), QStringLiteral("false")});
        return spin(
            [&] { return w.window->state().connected && w.window->state().mySlot == slot; });
    }

    static void mouse(client::DrawingBoard& board, QEvent::Type type, QPoint at,
                      Qt::MouseButtons held)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, board.mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&board, &event);
    }
    static void stroke(client::DrawingBoard& board, const QList<QPoint>& points)
    {
        mouse(board, QEvent::MouseButtonPress, points.front(), Qt::LeftButton);
        for (const QPoint& p : points.mid(1))
            mouse(board, QEvent::MouseMove, p, Qt::LeftButton);
        mouse(board, QEvent::MouseButtonRelease, points.back(), {});
        mouse(board, QEvent::MouseMove, points.back() + QPoint(1, 0), {});
    }
};

TEST_F(Tools, ABotSeesOnlyStrokesAndWipesAndEveryBoardShowsTheDrawersPixels)
{
    clienttest::WindowUnderTest ann;
    ASSERT_TRUE(seatWindow(ann, QStringLiteral("Ann"), 1));
    Peer* cy = join("Cy");
    ASSERT_NE(cy, nullptr);
    clienttest::WindowUnderTest bob;
    ASSERT_TRUE(seatWindow(bob, QStringLiteral("Bob"), 3));

    ann.window->startgame(false, QStringLiteral("20"), QStringLiteral("3000"));
    ASSERT_TRUE(spin([&] { return !ann.window->ui().panel_pickcatagory->isHidden(); }));
    ann.window->ui().button_cat0->click();
    ASSERT_TRUE(spin([&] { return ann.window->state().currentDrawer == 1; }));

    Ui::Tchat& u = ann.window->ui();
    client::DrawingBoard& board = *u.image_main;
    QList<QPoint> wave;
    for (int i = 0; i < 230; ++i)
        wave.append({30 + i * 2, 120 + (i % 30) * 3});
    u.ColorButton->setColour(protocol::rgbColour(30, 60, 220));
    u.UpDown1->setValue(7);
    stroke(board, wave);
    u.button_eraser->click();
    stroke(board, {{120, 100}, {200, 260}});
    u.button_eraser->click();
    u.ColorButton->setColour(protocol::kBlack);
    u.UpDown1->setValue(2);
    stroke(board, {{280, 180}, {500, 180}, {500, 340}, {280, 340}, {280, 180}});
    u.ColorButton->setColour(protocol::rgbColour(250, 200, 0));
    u.button_fill->click();
    stroke(board, {{400, 300}});
    u.button_undo->click(); // the fill
    u.button_undo->click(); // the box
    u.button_redo->click(); // the box again
    u.ColorButton->setColour(protocol::rgbColour(200, 0, 0));
    stroke(board, {{60, 40}, {90, 40}}); // a board no earlier moment showed
    ASSERT_TRUE(spin([&] { return ann.window->board().linesWaiting() == 0; }));

    // Bob's board follows every line; Dee, joining now, is sent the host's record.
    ASSERT_TRUE(spin([&] {
        return cy->countOf("CMD_clearmain") == 2 &&
               bob.window->ui().image_main->picture() == board.picture();
    })) << "Bob's board differs from the drawer's";
    clienttest::WindowUnderTest dee;
    ASSERT_TRUE(seatWindow(dee, QStringLiteral("Dee"), 4));
    EXPECT_TRUE(spin([&] { return dee.window->ui().image_main->picture() == board.picture(); }))
        << "a newcomer's board differs from the drawer's";

    QSet<QByteArray> names;
    const auto turn = std::find_if(cy->seen.cbegin(), cy->seen.cend(), [](const QByteArray& m) {
        return m.startsWith("CMD_nextplayer+1+");
    });
    ASSERT_NE(turn, cy->seen.cend());
    for (auto m = std::next(turn); m != cy->seen.cend(); ++m)
        if (!m->startsWith("CMD_updatetime+") && !m->startsWith("CMD_newplayerinfo+4+"))
            names.insert(m->left(m->indexOf('+')));
    EXPECT_EQ(names, (QSet<QByteArray>{"CMD_moveit", "CMD_draw", "CMD_clearmain"}));
}

} // namespace
} // namespace integration
