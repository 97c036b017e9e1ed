// A turn played by two real copies of the game on a desktop, driven as a user would: the
// drawer passes once and draws with the mouse, the guesser's board shows the very same
// picture, both chat, the guesser types the phrase, wins and keeps a snapshot. A bot holds
// slot 1 of a dedicated table, starts the game and sits out its own turn; it also hears
// everything.
#include "e2e/e2efixture.h"
#include "support/hostprocess.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using e2e::Display;
using e2e::GameFolder;
using e2e::GameProcess;

// Places in the window, relative to its top left (the menu bar is 19 pixels high here).
constexpr QPoint kBoard{2, 88};
constexpr QSize kBoardSize{533, 369};
constexpr QPoint kPassButton{492, 31};
constexpr QPoint kSnapshotButton{482, 31};
constexpr QPoint kGuessEntry{104, 491};
constexpr QPoint kChatEntry{639, 501};

class PlayedTurn : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start({1280, 1200})) << qPrintable(display.log());
        // A clock second of a quarter: picking takes under three seconds, drawing thirty.
        ASSERT_TRUE(table.start({QStringLiteral("--second-ms"), QStringLiteral("250")}));
        ASSERT_TRUE(cy.connectTo(table.port()));
        ASSERT_TRUE(cy.login("Cy"));
    }

    std::optional<quint64> open(GameProcess& game, GameFolder& home, const char* name, int top)
    {
        home.writeSettings({QStringLiteral("Left=0"), QStringLiteral("Top=%1").arg(top),
                            QStringLiteral("Width=797"), QStringLiteral("Height=541")});
        const QString address = QStringLiteral("127.0.0.1:%1").arg(table.port());
        if (!game.start(home, {QString::fromLatin1(name), address, QStringLiteral("false")},
                        &display))
            return std::nullopt;
        if (!table.waitForLog(QStringLiteral("logged in as \"%1\"").arg(QLatin1String(name))))
            return std::nullopt;
        return display.waitForWindow(game.pid());
    }

    // The phrase the host handed the drawer last, from the host's log.
    QString phrase()
    {
        static const QRegularExpression draws(QStringLiteral("slot 2 draws \"([^\"]*)\""));
        QString last;
        auto it = draws.globalMatch(table.log());
        while (it.hasNext())
            last = it.next().captured(1);
        return last;
    }

    void xdo(const QStringList& arguments) { display.tool(QStringLiteral("xdotool"), arguments); }
    // Moves the pointer to a place in the window (and, with a button held, drags there).
    void pointAt(quint64 window, QPoint at)
    {
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
             QString::number(at.x()), QString::number(at.y())});
    }
    // Types into the field at `at` and presses Enter (the keyboard follows the pointer).
    void typeInto(quint64 window, QPoint at, const QString& text)
    {
        display.click(window, at.x(), at.y());
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
        xdo({QStringLiteral("key"), QStringLiteral("Return")});
    }
    QImage board(quint64 window, const QString& name)
    {
        const std::optional<QString> path = display.screenshot(name, window);
        return path ? QImage(*path).copy(QRect(kBoard, kBoardSize)) : QImage();
    }
    bool cyHears(const QByteArray& message)
    {
        return support::spinUntil(
            [&] {
                for (const QByteArray& m : cy.takeAll())
                    heard.append(m);
                return heard.contains(message);
            },
            e2e::kPhaseMs);
    }

    Display display;
    support::HostProcess table{QStringLiteral(QUILLON_HOST_BINARY)};
    support::TestBot cy;
    QList<QByteArray> heard;
};

} // namespace

TEST_F(PlayedTurn, TheDrawerDrawsTheGuesserSeesItAndWins)
{
    GameFolder annHome(e2e::gameBinary());
    GameFolder bobHome(e2e::gameBinary());
    GameProcess ann;
    GameProcess bob;
    const std::optional<quint64> annWindow = open(ann, annHome, "Ann", 0);
    ASSERT_TRUE(annWindow.has_value()) << qPrintable(table.log());
    const std::optional<quint64> bobWindow = open(bob, bobHome, "Bob", 570);
    ASSERT_TRUE(bobWindow.has_value()) << qPrintable(table.log());

    // Cy starts a game to one point and sits out its own turn: Ann (slot 2) draws.
    cy.sendRaw("CMD_startgame+1+false+1+120\xFF");
    ASSERT_TRUE(cyHears("CMD_pickcatagory+1"));
    cy.sendRaw("CMD_justwatch+1+1\xFF");
    ASSERT_TRUE(cyHears("CMD_pickcatagory+2"));
    ASSERT_TRUE(table.waitForLog(QStringLiteral("slot 2 draws"), e2e::kPhaseMs));
    const QString first = phrase();

    // Ann passes once, then draws two strokes with the mouse.
    support::spinFor(500); // the window shows its pass button once it has the turn
    display.click(*annWindow, kPassButton.x(), kPassButton.y());
    ASSERT_TRUE(cyHears("CMD_passed+2+0"));
    ASSERT_TRUE(support::spinUntil([&] { return phrase() != first; }, e2e::kToolMs));
    pointAt(*annWindow, kBoard + QPoint(60, 60));
    xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int i = 1; i <= 40; ++i)
        pointAt(*annWindow, kBoard + QPoint(60 + i * 10, 60 + (i % 10) * 25));
    xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    pointAt(*annWindow, kBoard + QPoint(100, 300));
    xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int i = 1; i <= 30; ++i)
        pointAt(*annWindow, kBoard + QPoint(100 + i * 12, 300 - i * 6));
    xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    pointAt(*annWindow, kBoard + QPoint(10, 10)); // closes nothing more: both strokes ended
    ASSERT_TRUE(support::spinUntil(
        [&] {
            for (const QByteArray& m : cy.takeAll())
                heard.append(m);
            return std::count_if(heard.begin(), heard.end(), [](const QByteArray& m) {
                       return m.startsWith("CMD_moveit+2+");
                   }) == 2;
        },
        e2e::kToolMs));
    support::spinFor(1000); // Bob's window draws what reached it

    const QImage drawn = board(*annWindow, QStringLiteral("play-1-ann-board"));
    const QImage seen = board(*bobWindow, QStringLiteral("play-1-bob-board"));
    ASSERT_FALSE(drawn.isNull());
    ASSERT_EQ(drawn.size(), kBoardSize);
    EXPECT_EQ(seen, drawn) << "the guesser's board differs from the drawer's";
    int inked = 0;
    for (int y = 0; y < drawn.height(); y += 2) {
        for (int x = 0; x < drawn.width(); x += 2)
            inked += drawn.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    }
    EXPECT_GT(inked, 200) << "nothing was drawn";

    // Both chat; then Bob guesses the phrase and wins the game to one point.
    typeInto(*annWindow, kChatEntry, QStringLiteral("hello from Ann"));
    typeInto(*bobWindow, kChatEntry, QStringLiteral("hi Ann"));
    EXPECT_TRUE(cyHears("CMD_chat+Ann chats: hello from Ann|clMaroon"));
    EXPECT_TRUE(cyHears("CMD_chat+Bob chats: hi Ann|clMaroon"));
    typeInto(*bobWindow, kGuessEntry, phrase().toLower());
    EXPECT_TRUE(cyHears("CMD_correctanswer+3+2+2+1+" + phrase().toLatin1()));
    EXPECT_TRUE(cyHears("CMD_winner+Bob"));
    display.screenshot(QStringLiteral("play-2-bob-won"), *bobWindow);

    // Bob keeps the drawing: a JPEG of the board with its caption in the corner.
    display.click(*bobWindow, kSnapshotButton.x(), kSnapshotButton.y());
    const QString snapshot = bobHome.path() + QStringLiteral("/snapshots/snapshot1.jpg");
    ASSERT_TRUE(support::spinUntil([&] { return QFile::exists(snapshot); }, e2e::kToolMs));
    const QImage kept(snapshot);
    ASSERT_EQ(kept.size(), kBoardSize);
    // Where the screen shows a stroke the file does too, below the caption's line.
    int strokes = 0;
    int keptStrokes = 0;
    for (int y = 30; y < seen.height(); y += 2) {
        for (int x = 0; x < seen.width(); x += 2) {
            if (seen.pixelColor(x, y).value() < 64) {
                ++strokes;
                keptStrokes += kept.pixelColor(x, y).value() < 128 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(strokes, 100);
    EXPECT_GT(keptStrokes, strokes * 9 / 10) << "the snapshot does not show the drawing";
    EXPECT_GT(kept.pixelColor(4, 4).value(), 200); // the caption's white box
    EXPECT_TRUE(support::spinUntil([&] { return bobHome.settingsText().contains("Snapcount=1"); },
                                   e2e::kToolMs));
}
