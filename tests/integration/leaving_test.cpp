// Leaving a running quillon-host: a connection reset by the player, a removal by the
// hosting player, and the host process itself ending on a signal.
#include "livehost.h"

#include <csignal>

using namespace integration;

class Leaving : public LiveHost {};

TEST_F(Leaving, AResetConnectionReleasesItsSlotForTheNextPlayer)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);

    bo->bot.resetNow();
    EXPECT_TRUE(allReceive({ann, cy}, "CMD_playerdisconnected+2+Bo"));
    EXPECT_TRUE(host.waitForLog(QStringLiteral("slot 2 (Bo): left")));

    Peer* di = join("Di");
    ASSERT_NE(di, nullptr);
    EXPECT_EQ(di->slot(), 2);
    EXPECT_TRUE(allReceive({ann, cy}, "CMD_newplayerinfo+2+Di"));
    // The newcomer is introduced to those still there, not to the one who left.
    ASSERT_TRUE(sync(*di, {ann, cy, di}));
    EXPECT_EQ(di->named("CMD_existingplayers"),
              (QList<QByteArray>{"CMD_existingplayers+1+Ann", "CMD_existingplayers+3+Cy"}));
}

TEST_F(Leaving, WhenTheDrawersConnectionIsResetTheNextTurnStartsAtOnce)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);

    // Long turns, so only the departure can move the game on while the test looks.
    ann->send("CMD_startgame+1+false+10+600");
    ASSERT_TRUE(allReceive({ann, bo, cy}, "CMD_pickcatagory+1"));
    // The hosting player steps aside to watch, which hands the turn to Bo.
    ann->send("CMD_justwatch+1+1");
    ASSERT_TRUE(allReceive({ann, bo, cy}, "CMD_pickcatagory+2"));

    bo->bot.resetNow();
    const QByteArray left = "CMD_playerdisconnected+2+Bo";
    ASSERT_TRUE(allReceive({ann, cy}, "CMD_pickcatagory+3"));
    for (const Peer* p : {ann, cy}) {
        const qsizetype at = p->seen.indexOf(left);
        ASSERT_GE(at, 0) << p->name.toStdString();
        // Cy's turn follows the departure directly, not the end of Bo's turn.
        EXPECT_EQ(p->seen.value(at + 1), "CMD_pickcatagory+3") << p->name.toStdString();
    }
}

TEST_F(Leaving, OnlyTheHostingPlayerRemovesOthers)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);

    bo->send("CMD_kickhim+2+3+"); // in Bo's own name: not Bo's to do
    bo->send("CMD_kickhim+1+3+"); // in Ann's name: dropped
    ASSERT_TRUE(sync(*bo, {ann, bo, cy}));
    EXPECT_TRUE(cy->bot.isConnected());
    for (const Peer* p : {ann, bo, cy})
        EXPECT_EQ(p->countOf("CMD_playerdisconnected"), 0) << p->name.toStdString();
    EXPECT_TRUE(host.log().contains(QStringLiteral(
        "slot 2: dropped \"CMD_kickhim+1+3+\": slot field 1 is not the sender's slot")));

    ann->send("CMD_kickhim+1+3+");
    EXPECT_TRUE(cy->bot.waitForDisconnect(kWaitMs));
    EXPECT_TRUE(allReceive({ann, bo}, "CMD_playerdisconnected+3+Cy"));
    EXPECT_TRUE(host.waitForLog(QStringLiteral("slot 3: removed by the host")));
    EXPECT_TRUE(host.waitForLog(QStringLiteral("slot 3 (Cy): left")));

    Peer* di = join("Di");
    ASSERT_NE(di, nullptr);
    EXPECT_EQ(di->slot(), 3);
}

class Shutdown : public LiveHost, public ::testing::WithParamInterface<int> {};

TEST_P(Shutdown, ASignalClosesEveryConnectionAndEndsTheHostWithCodeZero)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    ann->send("CMD_startgame+1+false+10+600");
    ASSERT_TRUE(allReceive({ann, bo}, "CMD_pickcatagory+1"));

    EXPECT_EQ(host.stop(GetParam(), kWaitMs), 0);
    EXPECT_TRUE(ann->bot.waitForDisconnect(kWaitMs));
    EXPECT_TRUE(bo->bot.waitForDisconnect(kWaitMs));
    EXPECT_TRUE(host.log().contains(QStringLiteral("signal %1, closing").arg(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(TermIntAndHangup, Shutdown, ::testing::Values(SIGTERM, SIGINT, SIGHUP));
