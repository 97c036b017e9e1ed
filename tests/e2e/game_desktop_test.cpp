// A whole game on a desktop: two copies of the game (Ann, Bob) and two bots (Cy, Di) at a
// dedicated table (quillon-host on a free port), where Cy holds slot 1 and starts the game.
// Every player takes a turn (the windows pick their category with a mouse click), Di
// draws, Cy guesses the phrase, and the game ends with a winner. Pictures of Ann's window
// are kept for every phase.
#include "e2e/e2efixture.h"
#include "support/hostprocess.h"

#include <QPoint>

using e2e::DesktopTest;
using e2e::GameFolder;
using e2e::GameProcess;
using protocol::MessageId;

namespace {

// Where a category button of the drawer's chooser is, relative to the window: the chooser
// panel lies at (141, 14) in the board (at (0, 68) in the main panel, below the menu bar);
// its buttons are 150 x 28 at x 50, one row each. The menu bar is 19 pixels high on the
// test desktop; a click hits the button as long as it is within 14 pixels of that.
constexpr int kMenuBarHeight = 19;
QPoint categoryButton(int rowY)
{
    return {141 + 50 + 75, kMenuBarHeight + 68 + 14 + rowY + 14};
}
constexpr int kCategory3Row = 172;
constexpr int kCategory5Row = 248;

QStringList placedAt(int left, int top)
{
    return {QStringLiteral("Left=%1").arg(left), QStringLiteral("Top=%1").arg(top),
            QStringLiteral("Width=797"), QStringLiteral("Height=541")};
}

class DesktopGame : public DesktopTest {};

TEST_F(DesktopGame, TwoWindowsAndTwoBotsPlayAGameToItsWinner)
{
    // A clock second of half a second keeps the game short; a window still has five and a
    // half seconds to pick its category.
    support::HostProcess table(QStringLiteral(QUILLON_HOST_BINARY));
    ASSERT_TRUE(table.start({QStringLiteral("--second-ms"), QStringLiteral("500")}))
        << qPrintable(table.log());
    const QString address = QStringLiteral("127.0.0.1:%1").arg(table.port());

    support::TestBot cy;
    ASSERT_TRUE(cy.connectTo(table.port()));
    ASSERT_TRUE(cy.login("Cy"));
    EXPECT_EQ(cy.slot(), 1);

    // The two windows side by side on one screen, so neither hides the other.
    GameFolder annHome(e2e::gameBinary());
    GameFolder bobHome(e2e::gameBinary());
    ASSERT_TRUE(annHome.isReady() && bobHome.isReady());
    ASSERT_TRUE(annHome.writeSettings(placedAt(0, 0)));
    ASSERT_TRUE(bobHome.writeSettings(placedAt(0, 560)));

    GameProcess ann;
    ASSERT_TRUE(
        ann.start(annHome, {QStringLiteral("Ann"), address, QStringLiteral("false")}, &display));
    ASSERT_TRUE(table.waitForLog(QStringLiteral("slot 2: logged in as \"Ann\"")))
        << qPrintable(table.log());
    const std::optional<quint64> annWindow = display.waitForWindow(ann.pid());
    ASSERT_TRUE(annWindow.has_value());

    GameProcess bob;
    ASSERT_TRUE(
        bob.start(bobHome, {QStringLiteral("Bob"), address, QStringLiteral("false")}, &display));
    ASSERT_TRUE(table.waitForLog(QStringLiteral("slot 3: logged in as \"Bob\"")))
        << qPrintable(table.log());
    const std::optional<quint64> bobWindow = display.waitForWindow(bob.pid());
    ASSERT_TRUE(bobWindow.has_value());

    support::TestBot di;
    ASSERT_TRUE(di.connectTo(table.port()));
    ASSERT_TRUE(di.login("Di"));
    EXPECT_EQ(di.slot(), 4);

    // Everyone hears of everyone: newcomers are told who is there, the others of the
    // newcomer.
    auto seated = [this](support::TestBot& bot, int count) {
        QList<QByteArray> who;
        for (int i = 0; i < count; ++i) {
            if (auto f = next(bot, MessageId::ExistingPlayers, e2e::kToolMs))
                who << QByteArray::number(f->integer(0)) + '+' + f->text(1);
        }
        return who;
    };
    EXPECT_EQ(seated(di, 3), (QList<QByteArray>{"1+Cy", "2+Ann", "3+Bob"}));
    QList<QByteArray> arrivals;
    for (int i = 0; i < 4; ++i) {
        if (auto f = next(cy, MessageId::NewPlayerInfo, e2e::kToolMs))
            arrivals << QByteArray::number(f->integer(0)) + '+' + f->text(1);
    }
    EXPECT_EQ(arrivals, (QList<QByteArray>{"1+Cy", "2+Ann", "3+Bob", "4+Di"}));
    keepPicture(QStringLiteral("game-1-waiting"), *annWindow);
    keepPicture(QStringLiteral("game-1-waiting-bob"), *bobWindow);

    // What the host announces to the whole table reaches both bots alike.
    auto announced = [&](MessageId id, int timeoutMs) -> std::optional<protocol::Fields> {
        const auto toCy = next(cy, id, timeoutMs);
        const auto toDi = next(di, id, timeoutMs);
        EXPECT_EQ(toCy, toDi) << protocol::messageSpec(id).name;
        return toCy;
    };

    // Cy, in slot 1, starts a game: play to 2, 8 seconds per turn (four real ones: enough
    // for Di's stroke, a picture of it and Cy's answer on a loaded machine). Cy's own turn
    // runs out without a stroke.
    cy.send(MessageId::StartGameToHost, {1, false, 2, 8});
    const auto start = announced(MessageId::StartGame, e2e::kToolMs);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->integer(0), 1);
    EXPECT_EQ(start->integer(2), 2);
    EXPECT_EQ(start->integer(3), 8);

    const auto cyPicks = announced(MessageId::PickCategory, e2e::kPhaseMs);
    ASSERT_TRUE(cyPicks);
    ASSERT_EQ(cyPicks->integer(0), 1);
    ASSERT_TRUE(announced(MessageId::NextPlayer, e2e::kPhaseMs));
    ASSERT_TRUE(next(cy, MessageId::GiveDrawerAnswer, e2e::kToolMs));
    const auto cyOver = announced(MessageId::UpdateAnswer, e2e::kPhaseMs);
    ASSERT_TRUE(cyOver);
    EXPECT_EQ(cyOver->text(0), "true");

    // A window's turn: it is asked to pick, its player clicks a category, the host hands
    // out a phrase of that category, and the turn runs out (nobody can guess it).
    auto windowTurn = [&](int slot, quint64 window, int categoryRow, int category,
                          const QString& picture) {
        const auto pick = announced(MessageId::PickCategory, e2e::kPhaseMs);
        ASSERT_TRUE(pick);
        ASSERT_EQ(pick->integer(0), slot);
        if (slot == 2)
            keepPicture(QStringLiteral("game-2-picking"), window);
        // The chooser appears once the window has read its turn; click until the host
        // announces the phrase (a repeated pick of the same category changes nothing).
        const QPoint at = categoryButton(categoryRow);
        ASSERT_TRUE(support::spinUntil(
            [&] {
                if (cy.receivesWithin("CMD_nextplayer", 300))
                    return true;
                display.click(window, at.x(), at.y());
                return false;
            },
            e2e::kPhaseMs));
        const auto turn = announced(MessageId::NextPlayer, e2e::kToolMs);
        ASSERT_TRUE(turn);
        EXPECT_EQ(turn->integer(0), slot);
        EXPECT_EQ(turn->integer(1), category) << "the window's category click did not count";
        EXPECT_TRUE(turn->text(2).contains('_')) << turn->text(2).constData();
        keepPicture(picture, *annWindow);
        const auto over = announced(MessageId::UpdateAnswer, e2e::kPhaseMs);
        ASSERT_TRUE(over);
        EXPECT_EQ(over->text(0), "true");
        EXPECT_FALSE(over->text(1).isEmpty());
    };
    windowTurn(2, *annWindow, kCategory3Row, 3, QStringLiteral("game-3-ann-drawing"));
    ASSERT_FALSE(HasFatalFailure());
    windowTurn(3, *bobWindow, kCategory5Row, 5, QStringLiteral("game-4-bob-drawing"));
    ASSERT_FALSE(HasFatalFailure());

    // Di's turn: only Di learns the phrase; Di draws, Cy sees the strokes and guesses it.
    const auto pick = announced(MessageId::PickCategory, e2e::kPhaseMs);
    ASSERT_TRUE(pick);
    ASSERT_EQ(pick->integer(0), 4);
    const auto turn = announced(MessageId::NextPlayer, e2e::kPhaseMs);
    ASSERT_TRUE(turn);
    EXPECT_EQ(turn->integer(0), 4);
    const auto secret = next(di, MessageId::GiveDrawerAnswer, e2e::kToolMs);
    ASSERT_TRUE(secret);
    const QByteArray phrase = secret->text(0);
    ASSERT_FALSE(phrase.isEmpty());

    const protocol::ColourValue blue = protocol::rgbColour(0, 0, 255);
    di.send(MessageId::MoveItToHost, {4, blue, 6, 60, 60});
    di.send(MessageId::DrawToHost,
            {4, blue, 6, QByteArray(),
             QList<QPoint>{{60, 60}, {200, 80}, {320, 200}, {140, 300}, {60, 60}}});
    const auto moved = next(cy, MessageId::MoveIt, e2e::kToolMs);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->integer(0), 4);
    const auto stroke = next(cy, MessageId::Draw, e2e::kToolMs);
    ASSERT_TRUE(stroke);
    EXPECT_EQ(stroke->points(4).size(), 5);
    keepPicture(QStringLiteral("game-5-di-drawing"), *annWindow);

    cy.send(MessageId::Answer, {1, phrase});
    const auto solved = announced(MessageId::CorrectAnswer, e2e::kToolMs);
    ASSERT_TRUE(solved);
    EXPECT_EQ(solved->integer(0), 1); // Cy guessed
    EXPECT_EQ(solved->integer(1), 2);
    EXPECT_EQ(solved->integer(2), 4); // Di drew
    EXPECT_EQ(solved->integer(3), 1);
    EXPECT_EQ(solved->text(4), phrase);
    keepPicture(QStringLiteral("game-6-correct-answer"), *annWindow);

    // After the break the host finds Cy alone at the top with 2 points: the game is won.
    const auto won = announced(MessageId::Winner, e2e::kPhaseMs);
    ASSERT_TRUE(won);
    EXPECT_EQ(won->text(0), "Cy");
    keepPicture(QStringLiteral("game-7-winner"), *annWindow);
    keepPicture(QStringLiteral("game-7-winner-bob"), *bobWindow);

    // Nobody left on the way, the secret went to the drawer only, and both copies run on.
    for (support::TestBot* bot : {&cy, &di}) {
        const QList<QByteArray> rest = bot->takeAll();
        for (const QByteArray& m : rest) {
            EXPECT_NE(support::messageName(m), "CMD_playerdisconnected") << m.constData();
            if (bot == &cy) {
                EXPECT_NE(support::messageName(m), "CMD_givedraweranswer") << m.constData();
            }
        }
    }
    EXPECT_TRUE(ann.isRunning());
    EXPECT_TRUE(bob.isRunning());
    EXPECT_EQ(display.findWindows().size(), 2);
    RecordProperty("pictures", pictures.join(QLatin1Char(' ')).toStdString());
}

} // namespace
