// The hosting window draws fast while three players hold Enter in windows that send empty
// guesses: its own host never drops it, so the table goes on for everybody. (Before, the
// host dropped its own window after about twenty seconds, and the table ended with it.)
#include "e2e/evening.h"
#include "support/busytable.h"

#include <QElapsedTimer>
#include <QProcess>

namespace {

using namespace e2e::evening;
using support::BusyTable;
using support::Role;

// Hatching for this long, about 17 short strokes a second: a CMD_moveit and a CMD_draw each.
constexpr int kDrawingMs = 25000;
constexpr int kStrokeMs = 60;

// One xdotool run that hatches across the board: each stroke a press, three moves, a
// release. The pauses keep the moves apart (the window would merge them) and set the pace.
QStringList hatching(quint64 window, int strokes)
{
    const QString id = QString::number(window);
    QStringList chain;
    for (int s = 0; s < strokes; ++s) {
        const int x = kBoardAt.x() + 20 + (s * 13) % 480;
        const int y = kBoardAt.y() + 40 + (s * 7) % 280;
        chain << QStringLiteral("mousemove") << QStringLiteral("--window") << id
              << QString::number(x) << QString::number(y) << QStringLiteral("mousedown")
              << QStringLiteral("1");
        for (int m = 1; m <= 3; ++m) {
            chain << QStringLiteral("mousemove") << QStringLiteral("--window") << id
                  << QString::number(x + 6 * m) << QString::number(y + 9 * m)
                  << QStringLiteral("sleep") << QStringLiteral("0.01");
        }
        chain << QStringLiteral("mouseup") << QStringLiteral("1") << QStringLiteral("sleep")
              << QStringLiteral("0.02");
    }
    return chain;
}

class HostingUnderLoad : public e2e::DesktopTest {};

TEST_F(HostingUnderLoad, TheHostingWindowDrawingFastBesideThreeHeldEntersIsNeverDropped)
{
    Hands hands(display);
    Seat ann{"Ann", 1, {0, 0}};
    ASSERT_TRUE(ann.folder.writeSettings({QStringLiteral("Left=0"), QStringLiteral("Top=0"),
                                          QStringLiteral("Width=797"), QStringLiteral("Height=541"),
                                          QStringLiteral("Playsounds=false")}));
    {
        // Picking takes 4.4 s then, the turn of 120 seconds 50 s.
        const ScopedVariable second("QUILLON_SECOND_MS", "400");
        ASSERT_TRUE(ann.process.start(
            ann.folder,
            {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")},
            &display));
    }
    ASSERT_TRUE(ann.process.waitForLog(QStringLiteral("slot 1: logged in as \"Ann\"")));
    const std::optional<quint64> window = display.waitForWindow(ann.process.pid());
    ASSERT_TRUE(window.has_value());
    ann.window = *window;

    QElapsedTimer clock;
    clock.start();
    BusyTable table(e2e::kGamePort, clock);
    ASSERT_TRUE(table.seat({Role::Holder, Role::Holder, Role::Holder, Role::Chatter}));
    support::TestBot watcher;
    ASSERT_TRUE(watcher.connectTo(e2e::kGamePort) && watcher.login("Watcher"));
    Ear hears(watcher);

    hands.click(ann.window, kStartButton);
    const std::optional<quint64> dialog =
        waitForOnlyWindow(display, ann.process.pid(), QLatin1String(kStartDialogTitle));
    ASSERT_TRUE(dialog.has_value());
    hands.click(*dialog, kDialogStart);
    ASSERT_TRUE(hears.next("CMD_pickcatagory+1"));
    ASSERT_TRUE(hears.next("CMD_nextplayer+1+"));

    // Ann hatches with the mouse while the others hold Enter and one chats.
    const qsizetype mark = hears.mark();
    QProcess mouse;
    mouse.setProcessEnvironment(display.environment());
    mouse.start(QStringLiteral("xdotool"), hatching(ann.window, kDrawingMs / kStrokeMs));
    ASSERT_TRUE(mouse.waitForStarted());
    table.play(kDrawingMs + 2000);
    ASSERT_TRUE(
        support::spinUntil([&] { return mouse.state() == QProcess::NotRunning; }, e2e::kToolMs));
    EXPECT_EQ(mouse.exitCode(), 0);
    const double seconds = static_cast<double>(kDrawingMs) / 1000;

    EXPECT_TRUE(table.settle(e2e::kToolMs));
    EXPECT_TRUE(table.dropped().isEmpty()) << table.dropped().join(u' ').toStdString();
    EXPECT_TRUE(ann.process.isRunning()) << qPrintable(ann.process.log());
    EXPECT_TRUE(watcher.isConnected());
    EXPECT_FALSE(ann.process.log().contains(QStringLiteral("dropping the connection")))
        << qPrintable(ann.process.log());
    // What the table heard from Ann was the pace the test is about, all of it relayed.
    const auto annsLines = [&] {
        return hears.heardSince(mark, "CMD_draw+1+") + hears.heardSince(mark, "CMD_moveit+1+");
    };
    // Every seat comes to have heard as many of Ann's lines as the watcher.
    EXPECT_TRUE(
        support::spinUntil([&] { return table.foreignStrokes() == annsLines(); }, e2e::kToolMs))
        << table.foreignStrokes() << " against " << annsLines();
    const auto strokes = static_cast<double>(annsLines());
    RecordProperty("ann_lines_per_second", static_cast<int>(strokes / seconds));
    EXPECT_GT(strokes / seconds, 25.0) << strokes << " stroke lines in " << seconds << " s";
}

} // namespace
