// Connections that try to lock out, starve or cheat everybody else at a running
// quillon-host, against the honest players beside them.
#include "livehost.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

using namespace integration;

namespace {

// The phrase a drawer was given (CMD_givedraweranswer), once it has arrived.
std::optional<QByteArray> phraseOf(Peer& drawer)
{
    const auto given = drawer.next("CMD_givedraweranswer");
    return given ? std::optional(support::messagePayload(*given)) : std::nullopt;
}

} // namespace

class Hostile : public LiveHost {};

TEST_F(Hostile, ConnectionsThatNeverLogInAreClosedAndFreeTheTable)
{
    // Fifteen silent sockets take every seat; the host closes each after 30 seconds of
    // wall-clock time (its own clock second is 20 ms here), and a player who comes afterwards
    // sits down at slot 1.
    QElapsedTimer sinceConnect;
    sinceConnect.start();
    QList<Peer*> silent;
    for (int i = 0; i < 15; ++i) {
        Peer* p = connectOnly("Silent" + QByteArray::number(i));
        ASSERT_NE(p, nullptr);
        silent.append(p);
    }
    Peer* refused = knock("Refused");
    EXPECT_TRUE(refused->bot.waitForDisconnect(kWaitMs));
    for (Peer* p : silent)
        EXPECT_TRUE(p->bot.waitForDisconnect(30000 + kWaitMs)) << p->name.toStdString();
    EXPECT_GE(sinceConnect.elapsed(), 30000);
    EXPECT_EQ(host.logCount(QStringLiteral("no login within 30000 ms")), 15);

    Peer* ann = join("Ann");
    ASSERT_NE(ann, nullptr);
    EXPECT_EQ(ann->slot(), 1);
    EXPECT_TRUE(ann->bot.isConnected());
}

TEST_F(Hostile, FullQueuesOfFiveConnectionsDelayAnHonestChatByMillisecondsOnly)
{
    Peer* honest = join("Honest");
    ASSERT_NE(honest, nullptr);
    // Each flooder keeps 95 lines waiting at the host (under its bound of 100), topping up
    // one line for each of its lines the host relays.
    struct Flooder {
        Peer* peer;
        int sent = 0;
        int relayed = 0;
    };
    std::vector<Flooder> flooders;
    for (int i = 1; i <= 5; ++i) {
        Peer* p = join("F" + QByteArray::number(i));
        ASSERT_NE(p, nullptr);
        flooders.push_back({p});
    }
    const auto topUp = [&] {
        for (Flooder& f : flooders) {
            f.relayed = static_cast<int>(f.peer->seen.count(chatSeen(f.peer->name, "f")));
            QByteArray burst;
            for (; f.sent - f.relayed < 95; ++f.sent)
                burst += chatLine(f.peer->slot(), "f") + '\xFF';
            if (!burst.isEmpty())
                f.peer->bot.sendRaw(burst);
        }
    };
    topUp();
    ASSERT_TRUE(spin([&] {
        topUp();
        return flooders.front().relayed >= 50;
    }));

    std::vector<qint64> roundTrips;
    for (int i = 0; i < 20; ++i) {
        const QByteArray text = "honest " + QByteArray::number(i);
        QElapsedTimer clock;
        clock.start();
        honest->send(chatLine(honest->slot(), text));
        ASSERT_TRUE(spin([&] {
            topUp();
            return honest->has(chatSeen("Honest", text));
        }));
        roundTrips.push_back(clock.elapsed());
    }
    std::sort(roundTrips.begin(), roundTrips.end());
    const qint64 median = roundTrips[roundTrips.size() / 2];
    RecordProperty("median_round_trip_ms", static_cast<int>(median));
    EXPECT_LT(median, 300) << "slowest " << roundTrips.back() << " ms";
    for (const Flooder& f : flooders) {
        EXPECT_TRUE(f.peer->bot.isConnected()) << "a full queue within the bounds is allowed";
        EXPECT_GT(f.sent - f.relayed, 50) << f.peer->name.toStdString();
    }
}

TEST_F(Hostile, ALineRateNoWindowReachesIsHeldBackWithoutDelayingOthersOrLosingALine)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    QByteArray burst;
    for (int i = 0; i < 400; ++i)
        burst += "CMD_pickcatagory+2+1\xFF"; // cheap: ignored outside Bo's turn
    burst += chatLine(2, "after the burst") + '\xFF';
    bo->bot.sendRaw(burst);
    // Bo's burst is 200 lines over his budget: four seconds of his share. Ann is not kept
    // waiting behind it.
    ann->send(chatLine(1, "meanwhile"));
    ASSERT_TRUE(allReceive({bo}, chatSeen("Ann", "meanwhile")));
    EXPECT_FALSE(bo->has(chatSeen("Bo", "after the burst")));
    EXPECT_TRUE(allReceive({ann}, chatSeen("Bo", "after the burst")));
    EXPECT_TRUE(bo->bot.isConnected());
    EXPECT_EQ(host.logCount(QStringLiteral("dropping the connection")), 0);
}

TEST_F(Hostile, OnlyTheDrawersRelayedStrokesAreRecordedForNewcomers)
{
    Peer* ann = join("Ann");
    ASSERT_NE(ann, nullptr);
    QList<Peer*> others;
    for (int i = 1; i <= 4; ++i)
        others.append(join("P" + QByteArray::number(i)));
    ann->send("CMD_startgame+1+false+20+600");
    ASSERT_TRUE(allReceive({ann}, "CMD_pickcatagory+1"));
    const QByteArray mine = "CMD_draw+1+clBlack+3++10,20+11,22+";
    ann->send("CMD_moveit+1+clBlack+3+10+20");
    ann->send(mine);
    for (Peer* p : others) {
        for (int i = 0; i < 20; ++i)
            p->send("CMD_draw+" + p->slotText() + "+clRed+90++" + QByteArray(3000, '+'));
    }
    for (Peer* p : others)
        ASSERT_TRUE(sync(*p, {ann}));
    Peer* late = join("Late");
    ASSERT_NE(late, nullptr);
    ASSERT_TRUE(sync(*ann, {late}));
    QList<QByteArray> replayed;
    for (const QByteArray& m : late->seen) {
        if (m.startsWith("CMD_draw+") || m.startsWith("CMD_moveit+"))
            replayed.append(m);
    }
    EXPECT_EQ(replayed, (QList<QByteArray>{"CMD_moveit+1+clBlack+3+10+20", mine}));
    EXPECT_TRUE(ann->bot.isConnected());
}

TEST_F(Hostile, RightsTheWindowsRespectAreEnforced)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    QList<Peer*> spectators;
    for (int i = 3; i <= 11; ++i)
        spectators.append(join("S" + QByteArray::number(i)));
    Peer* spy = spectators.back();
    ASSERT_EQ(spy->slot(), 11);

    // Only slot 1 starts a game (a restart would wipe every score).
    bo->send("CMD_startgame+2+false+20+60");
    ASSERT_TRUE(sync(*bo, {ann}));
    EXPECT_EQ(ann->countOf("CMD_startgame"), 0);
    EXPECT_TRUE(host.log().contains(QStringLiteral("only slot 1 starts a game")));

    // A second login neither renames the slot nor replays anything.
    bo->send("CMD_logininfo+2+2.2.7+Mallory");
    ASSERT_TRUE(sync(*bo, {ann}));
    EXPECT_EQ(ann->countOf("CMD_newplayerinfo"), 11);
    EXPECT_TRUE(ann->has(chatSeen("Bo", "sync 2")));

    // Neither the drawer nor a spectator may answer the phrase.
    ann->send("CMD_startgame+1+false+20+600");
    ASSERT_TRUE(allReceive({ann}, "CMD_pickcatagory+1"));
    std::optional<QByteArray> phrase;
    ASSERT_TRUE(spin([&] { return (phrase = phraseOf(*ann)).has_value(); }));
    ann->send("CMD_answer+1+" + *phrase);
    spy->send("CMD_answer+11+" + *phrase);
    ASSERT_TRUE(sync(*ann, {bo}));
    ASSERT_TRUE(sync(*spy, {bo}));
    EXPECT_EQ(bo->countOf("CMD_correctanswer"), 0);
    EXPECT_EQ(bo->countOf("CMD_myguessed"), 0);
    // A guesser still may.
    bo->send("CMD_answer+2+" + *phrase);
    EXPECT_TRUE(spin([&] { return ann->countOf("CMD_correctanswer") == 1; }));
}

TEST_F(Hostile, NamesCannotForgeLinesOrFloodRows)
{
    Peer* ann = join("Ann");
    ASSERT_NE(ann, nullptr);
    Peer* eve = join("Eve\nquillon-host: forged\r\x01");
    ASSERT_NE(eve, nullptr);
    Peer* long_ = join(QByteArray(300, 'L') + ":|");
    ASSERT_NE(long_, nullptr);
    EXPECT_TRUE(allReceive({ann}, "CMD_newplayerinfo+2+Eve?quillon-host: forged??"));
    EXPECT_TRUE(allReceive({ann}, "CMD_newplayerinfo+3+" + QByteArray(64, 'L')));
    EXPECT_FALSE(host.log().contains(QStringLiteral("\nquillon-host: forged")));
    // ":" and "|" are ordinary in names.
    Peer* colon = join("Dr: Who|2");
    ASSERT_NE(colon, nullptr);
    EXPECT_TRUE(allReceive({ann}, "CMD_newplayerinfo+4+Dr: Who|2"));
}

TEST_F(Hostile, AGameThatEndedForWantOfADrawerStaysEnded)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    ann->send("CMD_startgame+1+false+20+600");
    ASSERT_TRUE(allReceive({ann, bo}, "CMD_pickcatagory+1"));
    ann->send("CMD_justwatch+1+1"); // Ann watches; the turn passes to Bo
    ASSERT_TRUE(allReceive({ann, bo}, "CMD_pickcatagory+2"));
    std::optional<QByteArray> phrase;
    ASSERT_TRUE(spin([&] { return (phrase = phraseOf(*bo)).has_value(); }));
    bo->bot.disconnectNow(); // nobody is left to draw: the game ends quietly
    ASSERT_TRUE(allReceive({ann}, "CMD_playerdisconnected+2+Bo"));

    Peer* cy = join("Cy");
    ASSERT_NE(cy, nullptr);
    cy->send("CMD_answer+" + cy->slotText() + '+' + *phrase);
    ASSERT_TRUE(sync(*cy, {ann, cy}));
    support::spinFor(500); // 25 of the host's seconds: a revived game would have moved on
    ASSERT_TRUE(sync(*cy, {ann, cy}));
    for (const char* revival : {"CMD_correctanswer", "CMD_myguessed", "CMD_pickcatagory",
                                "CMD_nextplayer", "CMD_gamestats"})
        EXPECT_EQ(cy->countOf(revival), 0) << revival;
}

TEST_F(Hostile, NumbersAtTheEndsOfTheRangeStayInsideTheArithmetic)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    // Near 2^31 the turn's clock (seconds + 4) would overflow; the host bounds the seconds to
    // a day and tells every window the bounded value.
    ann->send("CMD_startgame+1+false+-2147483648+2147483647");
    EXPECT_TRUE(allReceive({ann, bo}, "CMD_startgame+1+false+-2147483648+86400"));
    ann->send("CMD_pickcatagory+1+2147483647");
    EXPECT_TRUE(spin([&] { return phraseOf(*ann).has_value(); }));
    ann->send("CMD_startgame+1+false+$7FFFFFFF+-2147483648");
    EXPECT_TRUE(allReceive({ann, bo}, "CMD_startgame+1+false+2147483647+1"));
    EXPECT_TRUE(allReceive({ann, bo}, "CMD_pickcatagory+1"));
    EXPECT_TRUE(sync(*bo, {ann, bo})); // the host is alive and well
}

TEST_F(Hostile, TheDedicatedHostGoesOnWhenSlotOneLeaves)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);
    ann->send("CMD_startgame+1+false+20+1");
    ASSERT_TRUE(allReceive({ann, bo, cy}, "CMD_pickcatagory+1"));
    ann->bot.disconnectNow(); // the drawer and slot 1 at once
    EXPECT_TRUE(allReceive({bo, cy}, "CMD_pickcatagory+2"));
    EXPECT_TRUE(allReceive({bo, cy}, "CMD_pickcatagory+3")); // after Bo's turn runs out
    EXPECT_TRUE(allReceive({bo, cy}, "CMD_pickcatagory+2"));
}
