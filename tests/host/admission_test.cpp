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
    EXPECT_EQ(to(3), (QList<QByteArray>{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cid",
                                        "CMD_existingplayers+1+Ann", "CMD_existingplayers+2+Bob",
                                        "CMD_moveit+1+clBlack+3+10+20",
                                        "CMD_draw+1+clBlack+3++11,21+12,22+", "CMD_wrongversion+",
                                        "CMD_nextplayer+1+0+_____ ___ ____ ",
                                        "CMD_gamestats+15+90+0+0+0+0+0+0+0+0+0+0"}));
    EXPECT_EQ(to(1, "CMD_havewrongversion"), QList<QByteArray>{"CMD_havewrongversion+Cid"});
    EXPECT_TRUE(to(2, "CMD_havewrongversion").isEmpty());
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

TEST_F(Flood, AConnectionHoldingTooManyUnhandledLinesIsDropped)
{
    join("Ann");
    join("Bob");
    for (int i = 0; i < 100; ++i) {
        now += 25; // 40 lines a second: within the rate, faster than they are handled here
        line(2, "CMD_chat+2+spam|clRed");
    }
    EXPECT_TRUE(out.closed.isEmpty());
    line(1, "CMD_chat+1+honest|clRed");
    line(2, "CMD_chat+2+one more|clRed");
    EXPECT_EQ(out.closed, QList<int>{2});
    EXPECT_EQ(out.warnings.filter(QStringLiteral("Excess Flood: more than 100 unhandled")).size(),
              1);
    leave(2);
    clearSent();
    drain();
    // Bob's waiting lines went with him; Ann's line is still handled.
    EXPECT_EQ(to(1), QList<QByteArray>{"CMD_chat+Ann chats: honest|clRed"});
}

TEST_F(Flood, AConnectionSendingFasterThanAnyHonestWindowIsDropped)
{
    join("Ann");
    join("Bob");
    // A burst is fine, and so is the fastest honest pace (a held Enter: 30 lines a second).
    for (int i = 0; i < 300; ++i) {
        handle(2, "CMD_answer+2+guess");
        now += i < 60 ? 0 : 33;
    }
    EXPECT_TRUE(out.closed.isEmpty());
    int sent = 0; // in one instant, from a full budget
    for (; sent < 200 && out.closed.isEmpty(); ++sent)
        handle(2, "CMD_answer+2+guess");
    EXPECT_EQ(sent, 101);
    EXPECT_EQ(out.closed, QList<int>{2});
    EXPECT_EQ(
        out.warnings.filter(QStringLiteral("Excess Flood: more than 50 lines a second")).size(), 1);
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
