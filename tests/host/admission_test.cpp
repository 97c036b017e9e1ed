#include "hostfixture.h"

using namespace hosttest;

class Admission : public HostFixture {};

TEST_F(Admission, ConnectionsTakeSlotsInOrderAndReuseTheFirstFreeOne)
{
    EXPECT_EQ(join("Ann"), 1);
    EXPECT_EQ(join("Bob"), 2);
    EXPECT_EQ(join("Cid"), 3);
    EXPECT_EQ(to(2, "CMD_sendlogininfo"), QList<QByteArray>{"CMD_sendlogininfo+2"});

    leave(2);
    EXPECT_EQ(join("Dee"), 2);
    EXPECT_EQ(engine.players().highSlot(), 3);
}

TEST_F(Admission, ASixteenthConnectionIsRefusedAndNothingChanges)
{
    for (int i = 1; i <= 15; ++i)
        ASSERT_EQ(join("P" + QByteArray::number(i)), i);
    clearSent();
    EXPECT_EQ(engine.admit(now), 0);
    EXPECT_EQ(engine.players().highSlot(), 15);
    EXPECT_TRUE(out.sent.isEmpty()); // nobody is told
}

TEST_F(Admission, ALeftSlotKeepsItsScoreForTheNextOccupantUntilTheGameStarts)
{
    join("Ann");
    join("Bob");
    startGame();
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs");
    ASSERT_EQ(engine.players().scoreOf(2), 2);
    leave(2);
    EXPECT_EQ(join("Eve"), 2);
    EXPECT_EQ(engine.players().scoreOf(2), 2);
}

TEST_F(Admission, LoginIntroducesEveryoneInOrder)
{
    join("Ann");
    join("Bob");
    clearSent();
    const int cid = join("Cid+Co"); // a name may contain "+"
    EXPECT_EQ(to(1), QList<QByteArray>{"CMD_newplayerinfo+3+Cid+Co"});
    EXPECT_EQ(to(3), (QList<QByteArray>{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cid+Co",
                                        "CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bob"}));
    EXPECT_EQ(engine.players().nameOf(cid), "Cid+Co");
}

TEST_F(Admission, ANewcomerDuringAGameIsBroughtUpToDate)
{
    join("Ann");
    join("Bob");
    startGame(15, 90);
    pickingPasses();
    handle(1, "CMD_moveit+1+clBlack+3+10+20");
    handle(1, "CMD_draw+1+clBlack+3++11,21+12,22+");
    clearSent();
    join("Cid", "2.0");
    EXPECT_EQ(to(3), (QList<QByteArray>{
                         "CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cid",
                         "CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bob",
                         "CMD_moveit+1+clBlack+3+10+20", "CMD_draw+1+clBlack+3++11,21+12,22+",
                         "CMD_wrongversion+", "CMD_nextplayer+1+0+_____ ___ ____ ",
                         "CMD_gamestats+15+90+0+0+0+0+0+0+0+0+0+0", "CMD_updatetime+92"}));
    EXPECT_EQ(to(1, "CMD_havewrongversion"), QList<QByteArray>{"CMD_havewrongversion+Cid"});
    EXPECT_TRUE(to(2, "CMD_havewrongversion").isEmpty());
}

TEST_F(Admission, ANewcomerDuringTheCategoryChoiceOrABreakIsToldTheGameAndTheClock)
{
    join("Ann");
    join("Bob");
    startGame(15, 90);
    handle(2, "CMD_justwatch+2+1");
    seconds(3); // Ann picks: eight seconds left
    clearSent();
    join("Cid");
    EXPECT_EQ(to(3).mid(4),
              (QList<QByteArray>{"CMD_pickcatagory+1", "CMD_gamestats+15+90+0+0+0+0+0+0+0+0+0+0",
                                 "CMD_justwatching+2+1", "CMD_updatetime+5"}));

    // After a time-out the game is not "running" through the break, yet it goes on.
    seconds(8 + 95);
    ASSERT_EQ(engine.game().turnState(), host::TurnState::Break);
    clearSent();
    join("Dee");
    EXPECT_EQ(to(4).mid(5), (QList<QByteArray>{"CMD_gamestats+15+90+0+0+0+0+0+0+0+0+0+0",
                                               "CMD_justwatching+2+1", "CMD_updatetime+8"}));
}

TEST_F(Admission, ANewGameClearsEveryRowSoNoNewcomerInheritsATeamsScore)
{
    join("Ann");
    join("Bob");
    startGame(20, 120, true);
    pickingPasses();
    handle(2, "CMD_answer+2+bacon and eggs"); // the team copies reach rows 3 to 10
    startGame(20, 120, false);
    clearSent();
    join("Cid");
    EXPECT_TRUE(to(3).contains("CMD_gamestats+20+120+0+0+0+0+0+0+0+0+0+0"));
    EXPECT_EQ(engine.players().scoreOf(10), 0);
}

TEST_F(Admission, ABlankNameIsGivenTheSlotsNumber)
{
    join("Ann");
    clearSent();
    join("  ");
    EXPECT_EQ(receivers("CMD_newplayerinfo+2+Player 2"), (QList<int>{1, 2}));
}

TEST_F(Admission, OnlyTheHostRemovesPlayers)
{
    join("Ann");
    join("Bob");
    join("Cid");
    handle(2, "CMD_kickhim+2+3+");
    EXPECT_TRUE(out.closed.isEmpty());
    handle(1, "CMD_kickhim+1+9+"); // a free slot: nothing happens
    EXPECT_TRUE(out.closed.isEmpty());
    handle(1, "CMD_kickhim+1+3+");
    EXPECT_EQ(out.closed, QList<int>{3});

    clearSent();
    leave(3); // the adapter reports the close
    EXPECT_EQ(receivers("CMD_playerdisconnected+3+Cid"), (QList<int>{1, 2}));
    EXPECT_FALSE(engine.players().isConnected(3));
}

TEST_F(Admission, WhenTheDrawerLeavesTheNextTurnStartsAtOnce)
{
    join("Ann");
    join("Bob");
    join("Cid");
    startGame();
    pickingPasses();
    seconds(125); // nobody guesses: time out, then the break
    seconds(11);
    ASSERT_EQ(engine.game().drawer(), 2);
    pickingPasses();
    clearSent();
    leave(2);
    EXPECT_EQ(to(1), (QList<QByteArray>{"CMD_playerdisconnected+2+Bob", "CMD_pickcatagory+3"}));
    EXPECT_EQ(engine.game().turnState(), host::TurnState::Picking);
}

TEST_F(Admission, JustWatchingNeedsSomebodyElseToPlay)
{
    join("Ann");
    handle(1, "CMD_justwatch+1+1");
    EXPECT_TRUE(to(1, "CMD_justwatching").isEmpty()); // the only active player

    join("Bob");
    for (int i = 0; i < 10; ++i)
        join("S" + QByteArray::number(i)); // slots 3 to 12
    clearSent();
    handle(12, "CMD_justwatch+12+1"); // a spectator may watch too
    EXPECT_EQ(receivers("CMD_justwatching+12+1").size(), 12);
    handle(12, "CMD_justwatch+12+2");
    EXPECT_EQ(receivers("CMD_justwatching+12+2").size(), 12);
    handle(12, "CMD_justwatch+12+3");
    EXPECT_TRUE(receivers("CMD_justwatching+12+3").isEmpty());
}

TEST_F(Admission, TheHostMaySwitchOthersToWatchingButNobodyElseMay)
{
    join("Ann");
    join("Bob");
    join("Cid");
    handle(2, "CMD_justwatch+3+1");
    EXPECT_FALSE(engine.players().at(3)->watching);
    handle(1, "CMD_justwatch+3+1");
    EXPECT_TRUE(engine.players().at(3)->watching);
}

class Identity : public HostFixture {};

TEST_F(Identity, ALineNamingAnotherSlotIsDroppedAndLogged)
{
    join("Ann");
    join("Bob");
    join("Cid");
    clearSent();
    handle(3, "CMD_chat+2+I am Bob|clRed");
    handle(3, "CMD_kickhim+1+2+");
    handle(3, "CMD_logininfo+2+2.2.7+Mallory");
    EXPECT_TRUE(out.sent.isEmpty());
    EXPECT_TRUE(out.closed.isEmpty());
    EXPECT_EQ(engine.players().nameOf(2), "Bob");
    // Only the dropped lines are warnings; the joins before them are ordinary news.
    EXPECT_EQ(out.warnings.filter(QStringLiteral("not the sender's slot")).size(), 3);
    EXPECT_EQ(out.warnings.size(), 3);
    EXPECT_EQ(out.logged.filter(QStringLiteral("logged in as")).size(), 3);
}

TEST_F(Identity, SlotNumbersOutsideTheTableNeverIndexAnything)
{
    join("Ann");
    clearSent();
    for (const char* bad : {"CMD_justwatch+99+1", "CMD_justwatch+-5+1", "CMD_justwatch+0+2",
                            "CMD_kickhim+1+16+", "CMD_kickhim+1+-1+", "CMD_kickhim+1+x+"}) {
        handle(1, bad);
    }
    EXPECT_TRUE(out.sent.isEmpty());
    EXPECT_TRUE(out.closed.isEmpty());
}

TEST_F(Identity, ALineQueuedBeforeItsConnectionClosedIsNotHandled)
{
    join("Ann");
    const int slot = engine.admit(now);
    engine.welcome(slot);
    line(slot, "CMD_logininfo+2+2.2.7+Ghost");
    leave(slot);
    drain();
    EXPECT_FALSE(engine.players().isConnected(2));
    EXPECT_EQ(engine.players().nameOf(2), "");
}

TEST_F(Identity, BadNumbersStopTheHandlerAndAreLoggedNotShown)
{
    join("Ann");
    clearSent();
    handle(1, "CMD_chat+one+hi|clRed");
    handle(1, "CMD_pickcatagory+1+x");
    EXPECT_TRUE(out.sent.isEmpty());
    EXPECT_EQ(out.warnings.filter(QStringLiteral("is not a valid integer value")).size(), 2);
}

class Flood : public HostFixture {};

TEST_F(Flood, AFullQueueStopsTheReadingNotTheConnectionAndLosesNothing)
{
    join("Ann");
    join("Bob");
    // A stalled link delivers its backlog at once: far more than the queue holds.
    for (int i = 0; i < 300; ++i)
        line(2, "CMD_chat+2+line " + QByteArray::number(i) + "|clRed");
    EXPECT_TRUE(engine.inputHeld(2));
    EXPECT_FALSE(engine.inputHeld(1));
    line(1, "CMD_chat+1+honest|clRed");
    clearSent();
    engine.drainTick(now);
    // Ann's line waits one round at most, whatever Bob has queued.
    EXPECT_EQ(to(1).size(), 2);
    EXPECT_TRUE(to(1).contains("CMD_chat+Ann chats: honest|clRed"));

    // Reading resumes once half of the bound is left, and every line is relayed in order.
    int ticks = 1;
    while (engine.inputHeld(2) && ticks < 1000) {
        now += 10;
        engine.drainTick(now);
        ++ticks;
    }
    EXPECT_EQ(engine.players().isConnected(2), true);
    drain();
    QList<QByteArray> bobs = to(1);
    bobs.removeAll("CMD_chat+Ann chats: honest|clRed");
    ASSERT_EQ(bobs.size(), 300);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(bobs[i], "CMD_chat+Bob chats: line " + QByteArray::number(i) + "|clRed");
    EXPECT_TRUE(out.closed.isEmpty());
    EXPECT_TRUE(out.warnings.isEmpty());
}

TEST_F(Flood, AConnectionFasterThanItsBudgetWaitsForItWhileOthersGoOn)
{
    join("Ann");
    join("Bob");
    const auto bobsAt = [&](int slot) {
        return to(slot).count("CMD_chat+Bob chats: x|clRed");
    };
    now += 5000; // long enough after the logins for a full budget
    for (int i = 0; i < 400; ++i)
        line(2, "CMD_chat+2+x|clRed");
    clearSent();
    // In one instant Bob has his burst of 200 lines handled, and then nothing more.
    for (int tick = 0; tick < 300; ++tick)
        engine.drainTick(now);
    EXPECT_EQ(bobsAt(1), 200);
    line(1, "CMD_chat+1+still here|clRed");
    engine.drainTick(now);
    EXPECT_TRUE(to(2).contains("CMD_chat+Ann chats: still here|clRed"));
    EXPECT_EQ(bobsAt(1), 200);
    // From then on 50 lines a second: one every 20 ms.
    now += 20;
    engine.drainTick(now);
    engine.drainTick(now);
    EXPECT_EQ(bobsAt(1), 201);
    now += 1000;
    for (int tick = 0; tick < 100; ++tick)
        engine.drainTick(now);
    EXPECT_EQ(bobsAt(1), 251);
    EXPECT_TRUE(out.closed.isEmpty());
}

TEST_F(Flood, OnlyRelayedStrokesFillTheRecordAndTheDrawerWhoFillsItIsDropped)
{
    join("Ann");
    join("Bob");
    startGame();
    pickingPasses(); // Ann draws
    // A non-drawer's strokes reach nobody, so they are neither recorded nor counted.
    for (int i = 0; i < 50; ++i)
        handle(2, "CMD_draw+2+clBlack+3++1,1+");
    EXPECT_EQ(engine.game().drawingRecord().bytes(), 0);

    const QByteArray batch = "CMD_draw+1+clBlack+3+" + QByteArray(4000, '+');
    while (engine.game().drawingRecord().bytes() + batch.size() <= 4 * 1024 * 1024) {
        now += 1000; // an honest pace
        handle(1, batch);
    }
    EXPECT_TRUE(out.closed.isEmpty());
    handle(1, batch);
    EXPECT_EQ(out.closed, QList<int>{1});
    EXPECT_EQ(out.warnings.filter(QStringLiteral("filled the drawing record")).size(), 1);
    EXPECT_EQ(engine.game().drawingRecord().bytes(), 0);
}

TEST_F(Flood, AShareOfTheRecordStaysWithItsConnectionNotWithTheSlot)
{
    join("Ann");
    join("Bob");
    startGame();
    handle(1, "CMD_justwatch+1+1"); // the turn passes to Bob
    pickingPasses();
    ASSERT_EQ(engine.game().drawer(), 2);
    leave(1); // without slot 1 the turn does not move on when its drawer leaves
    const QByteArray batch = "CMD_draw+2+clBlack+3+" + QByteArray(4000, '+');
    while (engine.game().drawingRecord().bytes() + batch.size() <= 4 * 1024 * 1024) {
        now += 1000;
        handle(2, batch);
    }
    leave(2);
    join("Cid"); // takes slot 1
    now += 1000;
    ASSERT_EQ(join("Dan"), 2); // the drawer's slot, not the drawer's connection
    handle(2, batch);
    // Bob's strokes are forgotten with his share; Dan, who merely met the limit, stays.
    EXPECT_TRUE(out.closed.isEmpty());
    ASSERT_EQ(engine.game().drawingRecord().lines().size(), 1u);
    EXPECT_EQ(engine.game().drawingRecord().bytes(), batch.size());
}
