#include "hostfixture.h"

using namespace hosttest;

class Turns : public HostFixture {
protected:
    // Lets the current turn run out (picking, drawing with `turnSeconds`, break) and
    // returns the drawer that turn had.
    int playOutTurn(int turnSeconds)
    {
        const int drawer = engine.game().drawer();
        seconds(11 + turnSeconds + 5 + 11);
        return drawer;
    }
};

TEST_F(Turns, RotationSkipsFreeSlotsAndWatchers)
{
    join("Ann");
    join("Bob");
    join("Cid");
    join("Dee");
    leave(3);
    startGame(20, 5);
    handle(2, "CMD_justwatch+2+1");
    QList<int> drawers;
    for (int i = 0; i < 4; ++i)
        drawers.append(playOutTurn(5));
    EXPECT_EQ(drawers, (QList<int>{1, 4, 1, 4}));
}

TEST_F(Turns, WithoutAChoiceARandomCategoryIsUsedAfterElevenTicks)
{
    join("Ann");
    join("Bob");
    startGame();
    random.script = {4, 1}; // category 4, its second entry
    clearSent();
    seconds(10);
    EXPECT_TRUE(to(1, "CMD_nextplayer").isEmpty());
    seconds(1);
    EXPECT_EQ(to(2, "CMD_nextplayer"), QList<QByteArray>{"CMD_nextplayer+1+4+______ _____ "});
    EXPECT_EQ(to(1, "CMD_givedraweranswer"),
              QList<QByteArray>{"CMD_givedraweranswer+CHEESE TOAST"});
    EXPECT_TRUE(to(2, "CMD_givedraweranswer").isEmpty());
}

TEST_F(Turns, TheDrawersChoiceCountsOnlyWhilePicking)
{
    join("Ann");
    join("Bob");
    startGame();
    handle(2, "CMD_pickcatagory+2+3"); // not the drawer
    handle(1, "CMD_pickcatagory+1+9"); // no such list: the choice stays open
    handle(1, "CMD_pickcatagory+1+5");
    handle(1, "CMD_pickcatagory+1+6"); // a later choice replaces the earlier one
    pickingPasses();
    EXPECT_EQ(engine.game().category(), 6);
    handle(1, "CMD_pickcatagory+1+2"); // too late
    EXPECT_EQ(engine.game().category(), 6);
}

TEST_F(Turns, AnUnsolvedTurnIsRevealedAfterItsTimeAndCostsTheDrawerAPoint)
{
    join("Ann");
    join("Bob");
    startGame(20, 120);
    pickingPasses();
    clearSent();
    seconds(124);
    EXPECT_TRUE(to(2, "CMD_updateanswer").isEmpty());
    seconds(1);
    EXPECT_EQ(to(2, "CMD_updateanswer"), QList<QByteArray>{"CMD_updateanswer+true+BACON AND EGGS"});
    EXPECT_EQ(engine.players().scoreOf(1), 0); // never below zero
    EXPECT_FALSE(engine.game().running());
    EXPECT_EQ(engine.game().turnState(), host::TurnState::Break);

    QList<QByteArray> times;
    for (const QByteArray& m : to(2, "CMD_updatetime"))
        times.append(m.mid(15));
    EXPECT_EQ(times, (QList<QByteArray>{"118", "108", "98", "88", "78", "68", "58", "48", "38",
                                        "28", "18", "8", "-2"}));
    clearSent();
    seconds(10);
    EXPECT_EQ(to(2), QList<QByteArray>{"CMD_updatetime+-2"});
    seconds(1);
    EXPECT_EQ(to(2, "CMD_pickcatagory"), QList<QByteArray>{"CMD_pickcatagory+2"});
}

TEST_F(Turns, APassGivesANewPhraseOnTheSameClockForAPoint)
{
    join("Ann");
    join("Bob");
    startGame(20, 120);
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs"); // Ann draws, Bob solves: Ann 1, Bob 2
    seconds(11);                              // break; Bob draws next
    pickingPasses();
    seconds(30);
    const int clockBefore = engine.game().clock();
    clearSent();
    handle(1, "CMD_pass+1"); // not the drawer
    EXPECT_TRUE(out.sent.isEmpty());
    handle(2, "CMD_pass+2");
    EXPECT_EQ(to(1), (QList<QByteArray>{"CMD_updateanswer+2+_____ ___ ", "CMD_passed+2+1"}));
    EXPECT_EQ(to(2, "CMD_givedraweranswer"), QList<QByteArray>{"CMD_givedraweranswer+APPLE PIE"});
    EXPECT_EQ(engine.game().clock(), clockBefore);
    EXPECT_EQ(engine.game().turnState(), host::TurnState::Drawing);
}

TEST_F(Turns, NoPassOnceThePhraseIsSolved)
{
    join("Ann");
    join("Bob");
    startGame();
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs"); // solved: the break begins
    clearSent();
    handle(1, "CMD_pass+1");
    handle(2, "CMD_answer+2+cheese toast");
    EXPECT_TRUE(out.sent.isEmpty()); // no fresh phrase to solve during the break
    EXPECT_EQ(engine.players().scoreOf(1), 1);
    EXPECT_EQ(engine.players().scoreOf(2), 2);
}

TEST_F(Turns, ASoloPassComesFromTheTopOfTheListAndUsesNothingUp)
{
    engine.setSolo(true);
    join("You");
    startGame();
    handle(1, "CMD_pickcatagory+1+0");
    pickingPasses();
    const int before = engine.game().wordLists().count(0);
    random.script = {2};
    handle(1, "CMD_pass+1");
    EXPECT_EQ(engine.game().phrase(), "FISH SOUP");
    EXPECT_EQ(engine.game().wordLists().count(0), before);
}

TEST_F(Turns, WhenNobodyMayDrawTheGameEndsInsteadOfStalling)
{
    join("Ann");
    join("Bob");
    startGame(20, 5);
    handle(1, "CMD_justwatch+1+1"); // the drawer watches: Bob draws
    EXPECT_EQ(engine.game().drawer(), 2);
    leave(2); // only a watcher is left
    EXPECT_FALSE(engine.game().running());
    EXPECT_FALSE(engine.clockRunning());
    seconds(100);
    EXPECT_EQ(engine.game().turnState(), host::TurnState::None);
}

TEST_F(Turns, WatchingAfterTheGameHasEndedDoesNotStartATurn)
{
    join("Ann");
    join("Bob");
    startGame(1, 5);
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs");
    seconds(11);
    ASSERT_EQ(to(1, "CMD_winner"), QList<QByteArray>{"CMD_winner+Bob"});
    clearSent();
    handle(1, "CMD_justwatch+1+1");
    EXPECT_TRUE(to(1, "CMD_pickcatagory").isEmpty());
    EXPECT_FALSE(engine.clockRunning());
}

TEST_F(Turns, ANewStartDuringAGameResetsScoresAndBeginsWithTheLowestSlot)
{
    join("Ann");
    join("Bob");
    startGame();
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs");
    seconds(11);
    ASSERT_EQ(engine.game().drawer(), 2);
    clearSent();
    startGame();
    EXPECT_EQ(engine.players().scoreOf(2), 0);
    EXPECT_EQ(engine.game().drawer(), 1);
    EXPECT_EQ(to(2),
              (QList<QByteArray>{"CMD_refreshplayerlist+1+Ann", "CMD_refreshplayerlist+2+Bob",
                                 "CMD_startgame+1+false+20+120", "CMD_pickcatagory+1"}));
}

TEST_F(Turns, TheClockIsIdleUntilAGameStarts)
{
    join("Ann");
    EXPECT_FALSE(engine.clockRunning());
    const quint64 starts = engine.clockStarts();
    startGame();
    EXPECT_TRUE(engine.clockRunning());
    EXPECT_GT(engine.clockStarts(), starts);
}

// Ann draws first and lets her turn run out; Bob draws second and Cid solves it.
class Departures : public Turns {
protected:
    void SetUp() override
    {
        join("Ann");
        join("Bob");
        join("Cid");
        startGame(2, 5);
        seconds(11 + 10); // Ann's turn runs out: the break
    }
    void bobDrawsAndCidSolves()
    {
        seconds(11);
        ASSERT_EQ(engine.game().drawer(), 2);
        pickingPasses();
        handle(3, "CMD_answer+3+" + engine.game().phrase()); // Cid 2, Bob 1: Cid reaches 2
        ASSERT_EQ(engine.game().turnState(), host::TurnState::Break);
    }
    void breakEndsWithCidsWin()
    {
        EXPECT_TRUE(to(1, "CMD_pickcatagory").isEmpty()); // the break goes on
        seconds(11);
        EXPECT_EQ(to(1, "CMD_winner"), QList<QByteArray>{"CMD_winner+Cid"});
    }
};

TEST_F(Departures, ADrawerLeavingDuringTheBreakKeepsItsWinCheck)
{
    bobDrawsAndCidSolves();
    clearSent();
    leave(2);
    breakEndsWithCidsWin();
}

TEST_F(Departures, ADrawerStartingToWatchDuringTheBreakKeepsItsWinCheck)
{
    bobDrawsAndCidSolves();
    clearSent();
    handle(2, "CMD_justwatch+2+1");
    breakEndsWithCidsWin();
}

TEST_F(Departures, APickerWhoLeavesOrWatchesAfterATimeOutPassesTheTurnAtOnce)
{
    seconds(11); // Bob picks, the game not "running" since Ann's time-out
    ASSERT_EQ(engine.game().drawer(), 2);
    clearSent();
    handle(2, "CMD_justwatch+2+1");
    EXPECT_EQ(to(1, "CMD_pickcatagory"), QList<QByteArray>{"CMD_pickcatagory+3"});
    clearSent();
    leave(3);
    EXPECT_EQ(to(1, "CMD_pickcatagory"), QList<QByteArray>{"CMD_pickcatagory+1"});
}

TEST_F(Departures, ALeaderWhoLeftDuringTheBreakHasNotWon)
{
    bobDrawsAndCidSolves();
    leave(3);
    clearSent();
    seconds(11);
    EXPECT_TRUE(to(1, "CMD_winner").isEmpty());
    EXPECT_EQ(to(1, "CMD_pickcatagory"), QList<QByteArray>{"CMD_pickcatagory+1"});
}

class TeamPenalties : public Turns {};

TEST_F(TeamPenalties, APassAndATimeOutCostTheWholeSideAndEveryWindowIsTold)
{
    for (const char* n : {"A", "B", "C", "D"})
        join(n);
    startGame(20, 120, true);
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs"); // A draws, B solves: black 1, maroon 2
    seconds(11);
    pickingPasses(); // B draws
    clearSent();
    handle(2, "CMD_pass+2");
    EXPECT_EQ(to(3), (QList<QByteArray>{"CMD_updateanswer+2+_____ ___ ", "CMD_passed+2+1",
                                        "CMD_teamscore+1+1+1+1+1+1+1+1+1+1"}));
    clearSent();
    seconds(125); // B's time runs out: maroon 0
    EXPECT_EQ(to(1, "CMD_teamscore"), QList<QByteArray>{"CMD_teamscore+1+0+1+0+1+0+1+0+1+0"});
    for (int slot = 2; slot <= 10; slot += 2)
        EXPECT_EQ(engine.players().scoreOf(slot), 0) << slot;
}
