// A whole game at a dedicated table (quillon-host on a free port) led by a window, with no
// bot in slot 1: Ann's copy sits down first, holds slot 1 and starts the game from File,
// Start Game; Bob's copy and a bot (Cy) play it to its winner. Ann starts the next game from
// her start button and leaves; Dee's copy, the next to sit down, holds slot 1 then and
// starts a game of its own. The phrases come from the host's log, as an operator reads them.
#include "e2e/evening.h"
#include "support/hostprocess.h"

#include <iostream>

namespace {

using namespace e2e::evening;

class DedicatedTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start({1620, 1130})) << qPrintable(display.log());
        // A clock second of 100 ms: picking takes 1.1 s, a turn of 120 seconds 12.5 s.
        ASSERT_TRUE(host.start({QStringLiteral("--second-ms"), QStringLiteral("100")}));
    }
    void TearDown() override
    {
        if (HasFailure())
            std::cerr << "the host logged:\n" << qPrintable(host.log());
    }

    // Starts a seat's copy at the table and waits for its window and its login as its slot.
    void open(Seat& seat)
    {
        ASSERT_TRUE(seat.folder.writeSettings(
            {QStringLiteral("Left=%1").arg(seat.place.x()),
             QStringLiteral("Top=%1").arg(seat.place.y()), QStringLiteral("Width=797"),
             QStringLiteral("Height=541"), QStringLiteral("Playsounds=false")}));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(host.port());
        ASSERT_TRUE(seat.process.start(seat.folder, {seat.name, address, QStringLiteral("false")},
                                       &display));
        ASSERT_TRUE(host.waitForLog(
            QStringLiteral("slot %1: logged in as \"%2\"").arg(seat.slot).arg(seat.name)));
        const std::optional<quint64> window = display.waitForWindow(seat.process.pid());
        ASSERT_TRUE(window.has_value()) << qPrintable(seat.process.log());
        seat.window = *window;
    }

    // The start dialog of `seat`'s copy, once it shows; its Start button begins the game.
    void startFromDialog(const Seat& seat)
    {
        const std::optional<quint64> dialog =
            waitForOnlyWindow(display, seat.process.pid(), QLatin1String(kStartDialogTitle));
        ASSERT_TRUE(dialog.has_value()) << qPrintable(seat.name) << "'s start dialog";
        hands.click(*dialog, kDialogStart);
    }

    // The phrase the host handed slot `drawer` last, once the log has a newer one.
    QString phraseOf(int drawer)
    {
        return newPhraseFor(
            drawer, [this] { return host.log(); }, m_phrasesRead);
    }

    // Plays turns until the host announces the winner: Cy solves every phrase but his own,
    // which Bob types into his window. Returns the winner's line.
    QByteArray playToTheWinner()
    {
        for (int turn = 0; turn < 40; ++turn) {
            const QByteArray next = cyHears
                                        .next({QByteArrayLiteral("CMD_pickcatagory+"),
                                               QByteArrayLiteral("CMD_winner+")})
                                        .value_or(QByteArray());
            if (!next.startsWith("CMD_pickcatagory+"))
                return next;
            const int drawer = next.mid(17).toInt();
            EXPECT_TRUE(cyHears.next("CMD_nextplayer+" + QByteArray::number(drawer) + '+'));
            const QString phrase = phraseOf(drawer);
            const qsizetype mark = cyHears.mark();
            for (int attempt = 0; attempt < 3; ++attempt) {
                if (drawer == cy.slot())
                    hands.typeLine(bob.window, kGuessEntry, phrase.toLower());
                else
                    cy.sendRaw("CMD_answer+3+" + phrase.toLatin1() + '\xFF');
                if (cyHears.heardSince(mark, "CMD_correctanswer+", 1, 3000) > 0)
                    break;
            }
            EXPECT_TRUE(cyHears.next("CMD_correctanswer+"))
                << "\"" << qPrintable(phrase) << "\" drawn by slot " << drawer << " was not solved";
            if (HasFailure())
                return {};
        }
        return {};
    }

    Display display;
    Hands hands{display};
    support::HostProcess host{QStringLiteral(QUILLON_HOST_BINARY)};
    Seat ann{"Ann", 1, {0, 0}};
    Seat bob{"Bob", 2, {810, 0}};
    Seat dee{"Dee", 1, {0, 570}};
    support::TestBot cy;
    Ear cyHears{cy};

private:
    qsizetype m_phrasesRead = 0;
};

TEST_F(DedicatedTable, AWindowInSlotOneStartsAndPlaysAWholeGameAndTheNextHolderLeadsOn)
{
    open(ann);
    ASSERT_FALSE(HasFatalFailure());
    open(bob);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(cy.connectTo(host.port()) && cy.login("Cy"));
    ASSERT_EQ(cy.slot(), 3);

    // File, Start Game: the menu's first entry, enabled for the window in slot 1.
    ASSERT_TRUE(hands.chooseFromMenuBar(ann, QStringLiteral("alt+f"), {QStringLiteral("Return")}));
    startFromDialog(ann);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(cyHears.next("CMD_startgame+1+false+20+120"));
    display.screenshot(QStringLiteral("dedicated-game-started"), ann.window);

    // Cy gains 2 for each of Ann's and Bob's turns and 1 for his own: 20, alone, after twelve.
    EXPECT_EQ(playToTheWinner(), "CMD_winner+Cy");
    ASSERT_FALSE(HasFailure());
    display.screenshot(QStringLiteral("dedicated-winner"), ann.window);

    // Ann's start button is back, as on a hosting window: she starts the next game, then
    // leaves the table with File, Exit.
    hands.click(ann.window, kStartButton);
    startFromDialog(ann);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(cyHears.next("CMD_startgame+1+false+20+120"));
    EXPECT_TRUE(hands.chooseFromMenuBar(ann, QStringLiteral("alt+f"),
                                        {QStringLiteral("Up"), QStringLiteral("Return")}));
    EXPECT_EQ(ann.process.waitForExit(), 0) << qPrintable(ann.process.log());
    EXPECT_TRUE(cyHears.next("CMD_playerdisconnected+1+Ann"));

    // Dee sits down in the free slot 1 and may lead: her menu starts a new game.
    open(dee);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(cyHears.next("CMD_newplayerinfo+1+Dee"));
    ASSERT_TRUE(hands.chooseFromMenuBar(dee, QStringLiteral("alt+f"), {QStringLiteral("Return")}));
    startFromDialog(dee);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(cyHears.next("CMD_startgame+1+false+20+120"));
    EXPECT_TRUE(cyHears.next("CMD_pickcatagory+1"));
    display.screenshot(QStringLiteral("dedicated-dee-leads"), dee.window);
    EXPECT_TRUE(bob.process.isRunning());
}

} // namespace
