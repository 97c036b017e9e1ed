// Joining a running quillon-host over TCP: slots, introductions, version warnings and the
// full table, as the players' connections see them.
#include "livehost.h"

using namespace integration;

class Joining : public LiveHost {};

TEST_F(Joining, PlayersTakeSlotsInOrderAndAreIntroducedToEachOther)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    Peer* di = join("Di Ng+1"); // a name may hold blanks and "+"
    ASSERT_TRUE(ann && bo && cy && di);
    EXPECT_EQ(ann->slot(), 1);
    EXPECT_EQ(bo->slot(), 2);
    EXPECT_EQ(cy->slot(), 3);
    EXPECT_EQ(di->slot(), 4);

    ASSERT_TRUE(allReceive({ann, bo, cy, di}, "CMD_newplayerinfo+4+Di Ng+1"));
    ASSERT_TRUE(spin([&] { return di->countOf("CMD_existingplayers") == 3; }));

    // Everybody hears of every later arrival, in the order they logged in.
    EXPECT_EQ(ann->named("CMD_newplayerinfo"),
              (QList<QByteArray>{"CMD_newplayerinfo+1+Ann", "CMD_newplayerinfo+2+Bo",
                                 "CMD_newplayerinfo+3+Cy", "CMD_newplayerinfo+4+Di Ng+1"}));
    EXPECT_EQ(cy->named("CMD_newplayerinfo"),
              (QList<QByteArray>{"CMD_newplayerinfo+3+Cy", "CMD_newplayerinfo+4+Di Ng+1"}));
    // A newcomer hears of itself first, then of everyone already there in slot order.
    EXPECT_EQ(di->seen.mid(0, 4),
              (QList<QByteArray>{"CMD_newplayerinfo+4+Di Ng+1", "CMD_existingplayers+1+Ann",
                                 "CMD_existingplayers+2+Bo", "CMD_existingplayers+3+Cy"}));
    // Only newcomers are told who is there.
    EXPECT_EQ(ann->countOf("CMD_existingplayers"), 0);
    EXPECT_EQ(bo->named("CMD_existingplayers"), QList<QByteArray>{"CMD_existingplayers+1+Ann"});

    EXPECT_TRUE(host.waitForLog(QStringLiteral("slot 4: connected")));
    EXPECT_TRUE(
        host.waitForLog(QStringLiteral("slot 4: logged in as \"Di Ng+1\" (version 2.2.7)")));
    EXPECT_EQ(host.logCount(QStringLiteral("logged in as")), 4);
}

TEST_F(Joining, AnotherVersionIsToldSoAndTheHostingPlayerIsWarned)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy", "2.1.0");
    ASSERT_TRUE(ann && bo && cy);

    // The older player is still let in and introduced like anybody else.
    EXPECT_TRUE(allReceive({ann, bo, cy}, "CMD_newplayerinfo+3+Cy"));
    EXPECT_TRUE(allReceive({cy}, "CMD_wrongversion+"));
    EXPECT_TRUE(allReceive({ann}, "CMD_havewrongversion+Cy"));
    ASSERT_TRUE(sync(*cy, {ann, bo, cy}));
    EXPECT_EQ(bo->countOf("CMD_havewrongversion"), 0);
    EXPECT_EQ(bo->countOf("CMD_wrongversion"), 0);
    EXPECT_EQ(ann->countOf("CMD_wrongversion"), 0);
    EXPECT_TRUE(host.log().contains(QStringLiteral("logged in as \"Cy\" (version 2.1.0)")));
}

TEST_F(Joining, TheSixteenthConnectionIsRefusedUntilASlotIsFree)
{
    QList<Peer*> table;
    for (int i = 1; i <= 15; ++i) {
        Peer* p = join("P" + QByteArray::number(i));
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->slot(), i);
        table.append(p);
    }
    ASSERT_TRUE(allReceive(table, "CMD_newplayerinfo+15+P15"));

    // The sixteenth is told the table is full and closed, without a slot.
    Peer* late = knock("Late");
    EXPECT_TRUE(late->bot.waitForDisconnect(kWaitMs));
    late->pump();
    EXPECT_EQ(late->seen, QList<QByteArray>{"CMD_full+"});
    EXPECT_TRUE(host.waitForLog(QStringLiteral("table full: connection refused")));
    ASSERT_TRUE(sync(*table[0], table));
    for (const Peer* p : table)
        EXPECT_EQ(p->countOf("CMD_playerdisconnected"), 0) << p->name.toStdString();

    // When slot 7 leaves, the next connection gets slot 7 and the table is full again.
    table[6]->bot.disconnectNow();
    QList<Peer*> stayed = table;
    stayed.removeAt(6);
    EXPECT_TRUE(allReceive(stayed, "CMD_playerdisconnected+7+P7"));
    Peer* seventh = join("New7");
    ASSERT_NE(seventh, nullptr);
    EXPECT_EQ(seventh->slot(), 7);
    EXPECT_TRUE(allReceive(stayed, "CMD_newplayerinfo+7+New7"));

    Peer* again = knock("Again");
    EXPECT_TRUE(again->bot.waitForDisconnect(kWaitMs));
    again->pump();
    EXPECT_EQ(again->seen, QList<QByteArray>{"CMD_full+"});
    EXPECT_EQ(host.logCount(QStringLiteral("table full: connection refused")), 2);
}
