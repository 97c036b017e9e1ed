#include "hostfixture.h"

using namespace hosttest;

class Relay : public HostFixture {
protected:
    void SetUp() override
    {
        join("Ann");
        join("Bob");
        join("Cid");
        clearSent();
    }
};

TEST_F(Relay, ChatReachesEveryoneUnderTheRegisteredNameWithPlusSignsIntact)
{
    handle(2, "CMD_chat+2+1+1 is 2, right?|clMaroon");
    EXPECT_EQ(receivers("CMD_chat+Bob chats: 1+1 is 2, right?|clMaroon"), (QList<int>{1, 2, 3}));
}

TEST_F(Relay, ActionsAndSoundsReachEveryone)
{
    handle(3, "CMD_action+3+waves hello|clNavy");
    EXPECT_EQ(receivers("CMD_action+Cid waves hello|clNavy"), (QList<int>{1, 2, 3}));
    handle(2, "CMD_playasound+2+wave7+");
    EXPECT_EQ(receivers("CMD_playasound+2+wave7+"), (QList<int>{1, 2, 3}));
}

TEST_F(Relay, ChatFromASlotNotLoggedInCarriesNoName)
{
    const int slot = engine.admit(now);
    engine.welcome(slot);
    handle(slot, "CMD_chat+4+hi|clRed");
    EXPECT_EQ(receivers("CMD_chat+ chats: hi|clRed").size(), 4);
}

TEST_F(Relay, OneConnectionsLinesTakeOneTickEachAndOthersShareTheirTickInArrivalOrder)
{
    for (const char* text : {"a1", "a2", "a3"})
        line(1, "CMD_chat+1+" + QByteArray(text) + "|clRed");
    engine.drainTick(now);
    EXPECT_EQ(to(1), QList<QByteArray>{"CMD_chat+Ann chats: a1|clRed"});
    engine.drainTick(now);
    engine.drainTick(now);
    EXPECT_EQ(to(1).size(), 3);
    EXPECT_EQ(to(1).last(), "CMD_chat+Ann chats: a3|clRed");
    EXPECT_FALSE(engine.hasQueuedLines());

    // Three players within one tick: one round, in the order their lines arrived.
    clearSent();
    line(3, "CMD_chat+3+c|clRed");
    line(1, "CMD_chat+1+a|clRed");
    line(2, "CMD_chat+2+b|clRed");
    engine.drainTick(now);
    EXPECT_EQ(to(2),
              (QList<QByteArray>{"CMD_chat+Cid chats: c|clRed", "CMD_chat+Ann chats: a|clRed",
                                 "CMD_chat+Bob chats: b|clRed"}));
    EXPECT_FALSE(engine.hasQueuedLines());
}

TEST_F(Relay, ABacklogWaitsItsTurnBehindEveryOtherConnection)
{
    for (const char* text : {"b1", "b2", "b3"})
        line(2, "CMD_chat+2+" + QByteArray(text) + "|clRed");
    line(3, "CMD_chat+3+c1|clRed");
    line(1, "CMD_chat+1+a1|clRed");
    drain();
    EXPECT_EQ(to(1),
              (QList<QByteArray>{"CMD_chat+Bob chats: b1|clRed", "CMD_chat+Cid chats: c1|clRed",
                                 "CMD_chat+Ann chats: a1|clRed", "CMD_chat+Bob chats: b2|clRed",
                                 "CMD_chat+Bob chats: b3|clRed"}));
}

TEST_F(Relay, TheFirstOfTwoRightAnswersInOneTickWinsWhateverTheSeats)
{
    startGame();
    pickingPasses(); // Ann draws "bacon and eggs"
    clearSent();
    line(3, "CMD_answer+3+bacon and eggs");
    line(2, "CMD_answer+2+bacon and eggs");
    engine.drainTick(now);
    EXPECT_EQ(to(1, "CMD_correctanswer"),
              QList<QByteArray>{"CMD_correctanswer+3+2+1+1+BACON AND EGGS"});
    EXPECT_EQ(engine.players().scoreOf(2), 0);
}

TEST_F(Relay, UnknownAndNamelessLinesAreDroppedSilently)
{
    const qsizetype logged = out.logged.size();
    handle(1, "CMD_winner+Ann");
    handle(1, "cmd_chat+1+x|clRed");
    handle(1, "CMD_full");
    handle(1, "");
    EXPECT_TRUE(out.sent.isEmpty());
    EXPECT_EQ(out.logged.size(), logged);
}

TEST_F(Relay, TheDrawersStrokesReachEveryoneElseAndTheRecordOthersReachNobody)
{
    startGame();
    pickingPasses();
    clearSent();
    handle(1, "CMD_moveit+1+clBlack+3+10+20");
    handle(1, "CMD_draw+1+clBlack+3++10,20+11,22+");
    EXPECT_EQ(receivers("CMD_moveit+1+clBlack+3+10+20"), (QList<int>{2, 3}));
    EXPECT_EQ(receivers("CMD_draw+1+clBlack+3++10,20+11,22+"), (QList<int>{2, 3}));

    handle(2, "CMD_draw+2+clRed+9++1,1+");
    EXPECT_TRUE(receivers("CMD_draw+2+clRed+9++1,1+").isEmpty());
    EXPECT_EQ(engine.game().drawingRecord().lines().size(), 2u);
}

TEST_F(Relay, ClearingByTheDrawerEmptiesTheRecordForLaterNewcomers)
{
    startGame();
    pickingPasses();
    handle(1, "CMD_moveit+1+clBlack+3+10+20");
    handle(2, "CMD_clearmain+2"); // not the drawer: nothing
    EXPECT_EQ(engine.game().drawingRecord().lines().size(), 1u);
    clearSent();
    handle(1, "CMD_clearmain+1");
    EXPECT_EQ(receivers("CMD_clearmain+1"), (QList<int>{2, 3}));
    join("Dee");
    EXPECT_TRUE(to(4, "CMD_moveit").isEmpty());
}

TEST_F(Relay, StrokesOutsideAGameReachNobodyNotEvenNewcomers)
{
    handle(1, "CMD_moveit+1+clBlack+3+10+20");
    EXPECT_TRUE(receivers("CMD_moveit+1+clBlack+3+10+20").isEmpty());
    join("Dee");
    EXPECT_TRUE(to(4, "CMD_moveit").isEmpty());
}
