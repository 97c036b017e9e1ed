// The launcher at a real home router (miniupnpd in network namespaces of the test's own):
// hosting a table forwards its port and shows the router's internet address in the window,
// and the forwarding goes when the table ends.
#include "lobby/launcherwindow.h"
#include "lobby/routerlink.h"
#include "net/portmapper.h"
#include "support/eventloop.h"

#include "routerlab.h"
#include "standinlauncher.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

using routertest::RouterLab;

const QString kOutside = QStringLiteral("192.0.3.1");
const QString kForwarded = QStringLiteral("dnat ip to 10.77.0.2:7772");

TEST(LauncherAtARouter, HostingForwardsThePortShowsTheInternetAddressAndEndingRemovesIt)
{
    if (const auto why = RouterLab::cannotMakeNamespaces())
        GTEST_SKIP() << "network namespaces cannot be made here: " << why->toStdString();
    // The suite keeps its tables off the network; this one has a network of its own.
    qputenv("QUILLON_QUIET_NETWORK", "0");
    RouterLab lab(kOutside);
    ASSERT_TRUE(lab.setupError().isEmpty()) << lab.setupError().toStdString();
    const QString failed = lab.startDaemon(true);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    const RouterLab::OnLan onLan(lab);
    ASSERT_TRUE(onLan.entered());

    integrationtest::StandInLauncher standIn;
    ASSERT_TRUE(standIn.isReady());
    standIn.parts.localAddresses = [] {
        return QStringList{QStringLiteral("10.77.0.2")};
    };
    lobby::LauncherWindow window(standIn.parts);
    net::PortMapper router;
    lobby::RouterLink link(window, router);
    window.show();

    window.findChild<QLineEdit*>(QStringLiteral("edit_name"))->setText(QStringLiteral("Ann"));
    window.findChild<QRadioButton*>(QStringLiteral("radio_host"))->setChecked(true);
    window.start();
    ASSERT_TRUE(support::spinUntil([&] { return !standIn.gameArguments().isEmpty(); }));
    const auto* addresses = window.findChild<QLabel*>(QStringLiteral("label_invite"));
    EXPECT_TRUE(support::spinUntil(
        [&] { return addresses->text().contains(kOutside + QStringLiteral(" (internet)")); },
        15000))
        << addresses->text().toStdString();
    EXPECT_EQ(window.inviteLink(), QStringLiteral("quillon://") + kOutside);
    EXPECT_TRUE(lab.routerForwardings().contains(kForwarded))
        << lab.routerForwardings().toStdString();

    // The table ends: the router forwards nothing any more.
    standIn.quitGame();
    ASSERT_TRUE(
        support::spinUntil([&] { return window.table() == lobby::LauncherWindow::Table::Ready; }));
    EXPECT_TRUE(
        support::spinUntil([&] { return !lab.routerForwardings().contains(kForwarded); }, 15000))
        << lab.routerForwardings().toStdString();
}

} // namespace
