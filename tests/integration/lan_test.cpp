// A table on one machine is found from another on the same network: a real quillon-host in
// one network namespace, this test's TableFinder and players in another, a veth pair
// between them as the network.
#include "lobby/launcherwindow.h"
#include "lobby/nearbytableswidget.h"
#include "lobby/tablefinder.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/testbot.h"

#include "integration/standinlauncher.h"
#include "integration/vethpair.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSysInfo>
#include <QTest>

#include <gtest/gtest.h>

using lantest::VethPair;

namespace {

constexpr quint16 kTablePort = 7775; // not the default: the announcement must tell it
constexpr int kDeadlineMs = 20000;

const lobby::HeardTable* tableAt(const lobby::TableFinder& finder, const QString& address)
{
    for (const lobby::HeardTable& t : finder.tables()) {
        if (t.address == address)
            return &t;
    }
    return nullptr;
}

} // namespace

TEST(SameNetwork, ARunningTableIsListedWithItsPlayersAndStateAndGoesWhenItEnds)
{
    VethPair network;
    QString why;
    if (!network.make(&why))
        GTEST_SKIP() << "no network namespaces on this machine, so no LAN test: "
                     << why.toStdString();
    ASSERT_TRUE(network.enterB(&why)) << why.toStdString();

    lobby::TableFinder finder;
    ASSERT_TRUE(finder.start(net::kLanAnnouncePort, &why)) << why.toStdString();

    // The suite keeps its tables quiet; this one is inside its own network, and is heard.
    qputenv("QUILLON_QUIET_NETWORK", "0");
    support::HostProcess host(QStringLiteral("ip"));
    ASSERT_TRUE(
        host.startPlain(network.inA(QStringLiteral(QUILLON_HOST_BINARY),
                                    {QStringLiteral("--port"), QString::number(kTablePort)})));
    ASSERT_TRUE(host.waitForLog(QStringLiteral("listening on port"))) << host.log().toStdString();

    // Two players join across the network, as from another machine.
    support::TestBot ann;
    support::TestBot bob;
    ASSERT_TRUE(ann.connectTo(kTablePort, VethPair::kAddressA, kDeadlineMs));
    ASSERT_TRUE(ann.login("Ann"));
    ASSERT_TRUE(bob.connectTo(kTablePort, VethPair::kAddressA, kDeadlineMs));
    ASSERT_TRUE(bob.login("Bob"));

    const QString address = VethPair::kAddressA + QLatin1Char(':') + QString::number(kTablePort);
    const auto listedAs = [&](int players, bool running) {
        const lobby::HeardTable* t = tableAt(finder, address);
        return t && t->players == players && t->spectators == 0 && t->gameRunning == running;
    };
    ASSERT_TRUE(support::spinUntil([&] { return listedAs(2, false); }, kDeadlineMs))
        << "heard: " << finder.tables().size() << " tables; host log:\n"
        << host.log().toStdString();
    // quillon-host goes by the machine's name (this test shares it: only the network is
    // apart).
    EXPECT_EQ(tableAt(finder, address)->hostName,
              QSysInfo::machineHostName().left(lobby::Announcement::kShownNameChars));
    EXPECT_EQ(finder.tables().size(), 1); // nothing else on this network

    // A launcher on this side lists the table and joins it with a click on Join.
    integrationtest::StandInLauncher standIn;
    ASSERT_TRUE(standIn.isReady());
    standIn.parts.finder = &finder;
    {
        lobby::LauncherWindow window(standIn.parts);
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("edit_name"))->setText(QStringLiteral("Cy"));
        auto* nearby =
            window.findChild<lobby::NearbyTablesWidget*>(QStringLiteral("nearby_tables"));
        ASSERT_NE(nearby, nullptr);
        ASSERT_TRUE(support::spinUntil([&] { return nearby->list()->model()->rowCount() == 1; },
                                       kDeadlineMs));
        nearby->list()->setCurrentIndex(nearby->list()->model()->index(0, 0));
        QTest::mouseClick(nearby->joinButton(), Qt::LeftButton);
        ASSERT_TRUE(support::spinUntil([&] { return !standIn.gameArguments().isEmpty(); }));
        EXPECT_EQ(standIn.gameArguments(), "Cy\n" + address.toLatin1() + "\nfalse\n");
    }

    ASSERT_EQ(ann.slot(), 1); // the first to come may start the game
    ann.send(protocol::MessageId::StartGameToHost, {1, false, 20, 120});
    EXPECT_TRUE(support::spinUntil([&] { return listedAs(2, true); }, kDeadlineMs));

    ASSERT_EQ(host.stop(), 0);
    EXPECT_TRUE(support::spinUntil([&] { return finder.tables().isEmpty(); }, kDeadlineMs))
        << "still listed after the host ended";
}
