// What a running table tells the local network: the seats taken, whether a game runs, and
// whose table it is, as the engine has them at the moment of each announcement.
#include "host/tableannouncement.h"

#include "hostfixture.h"

using namespace hosttest;
using host::TableAnnouncement;

namespace {

const QString kMachine = QStringLiteral("kitchen-pc");

} // namespace

class Announcing : public HostFixture {
protected:
    QByteArray datagram(bool dedicated = false) const
    {
        return TableAnnouncement::of(engine, 7772, host::tableHostName(engine, dedicated, kMachine))
            .toDatagram();
    }
};

TEST_F(Announcing, SeatsAndTheGameFollowTheTable)
{
    EXPECT_EQ(datagram(), "QUILLON 1 7772 0 0 0 kitchen-pc"); // nobody logged in yet
    join("Ann");
    join("Bob");
    engine.admit(now); // connected but not logged in: no seat yet
    EXPECT_EQ(datagram(), "QUILLON 1 7772 2 0 0 Ann");

    startGame(20, 5);
    EXPECT_EQ(datagram(), "QUILLON 1 7772 2 0 1 Ann");
    for (int i = 0; i < 8; ++i)
        join("Extra"); // slots 4 to 11
    join("Spectator"); // slot 12
    EXPECT_EQ(datagram(), "QUILLON 1 7772 9 2 1 Ann");

    // The game ends when nobody may draw; the table then waits.
    for (int slot = 3; slot <= 12; ++slot)
        leave(slot);
    handle(1, "CMD_justwatch+1+1"); // Ann watches: Bob draws, then leaves
    leave(2);
    EXPECT_EQ(engine.game().turnState(), host::TurnState::None);
    EXPECT_EQ(datagram(), "QUILLON 1 7772 1 0 0 Ann"); // a watcher keeps the seat
}

TEST_F(Announcing, TheTableIsTheHostingPlayersOrTheMachinesWhenDedicated)
{
    join("Zo\xeb");                                               // Windows-1252 on the wire
    EXPECT_EQ(datagram(), "QUILLON 1 7772 1 0 0 Zo\xc3\xab");     // UTF-8 in the announcement
    EXPECT_EQ(datagram(true), "QUILLON 1 7772 1 0 0 kitchen-pc"); // quillon-host
    leave(1);
    EXPECT_EQ(datagram(), "QUILLON 1 7772 0 0 0 kitchen-pc");
}

TEST(TableAnnouncement, ANameIsSentAsPlainBoundedText)
{
    TableAnnouncement a;
    a.port = 7773;
    a.hostName = QStringLiteral("Ann\nQUILLON 1 1 0 0 0 Fake");
    EXPECT_EQ(a.toDatagram(), "QUILLON 1 7773 0 0 0 Ann?QUILLON 1 1 0 0 0 Fake");
    a.hostName = QString(600, QLatin1Char('x'));
    EXPECT_EQ(a.toDatagram(), "QUILLON 1 7773 0 0 0 " + QByteArray(32, 'x'));
    a.hostName = QStringLiteral("  ");
    EXPECT_EQ(a.toDatagram(), "QUILLON 1 7773 0 0 0 ?");
}
