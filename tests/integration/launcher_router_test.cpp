// The launcher at a real home router (miniupnpd in network namespaces of the test's own):
// hosting a table forwards its port and shows the router's internet address in the window,
// and the forwarding goes when the table ends.
#include "lobby/gamelauncher.h"
#include "lobby/launcherwindow.h"
#include "lobby/lobbylistener.h"
#include "lobby/routerlink.h"
#include "net/portmapper.h"
#include "support/eventloop.h"

#include "routerlab.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using routertest::RouterLab;

const QString kOutside = QStringLiteral("192.0.3.1");
const QString kForwarded = QStringLiteral("dnat ip to 10.77.0.2:7772");

// A stand-in game: it notes that it ran and waits until told to quit.
constexpr char kGame[] = "#!/bin/sh\n"
                         "here=$(dirname \"$0\")\n"
                         "touch \"$here/started\"\n"
                         "while [ -d \"$here\" ] && [ ! -e \"$here/quit\" ]; do sleep 0.02; done\n";

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

    QTemporaryDir dir;
    QFile game(dir.filePath(QStringLiteral("quillon")));
    ASSERT_TRUE(game.open(QIODevice::WriteOnly));
    game.write(kGame);
    game.close();
    ASSERT_TRUE(game.setPermissions(game.permissions() | QFile::ExeOwner));
    lobby::GameLauncher launcher(game.fileName());
    lobby::LobbyListener listener;
    ASSERT_TRUE(listener.listen(0));
    lobby::LauncherWindow::Parts parts;
    parts.settingsPath = dir.filePath(QStringLiteral("zelklobby.ini"));
    parts.game = &launcher;
    parts.listener = &listener;
    parts.lookUp = [](const QString&, QObject*, std::function<void(QString)> done) {
        done({});
    };
    parts.localAddresses = [] {
        return QStringList{QStringLiteral("10.77.0.2")};
    };
    lobby::LauncherWindow window(parts);
    net::PortMapper router;
    lobby::RouterLink link(window, router);
    window.show();

    window.findChild<QLineEdit*>(QStringLiteral("edit_name"))->setText(QStringLiteral("Ann"));
    window.findChild<QRadioButton*>(QStringLiteral("radio_host"))->setChecked(true);
    window.start();
    ASSERT_TRUE(
        support::spinUntil([&] { return QFile::exists(dir.filePath(QStringLiteral("started"))); }));
    const auto* addresses = window.findChild<QLabel*>(QStringLiteral("label_invite"));
    EXPECT_TRUE(support::spinUntil(
        [&] { return addresses->text().contains(kOutside + QStringLiteral(" (internet)")); },
        15000))
        << addresses->text().toStdString();
    EXPECT_EQ(window.inviteLink(), QStringLiteral("quillon://") + kOutside);
    EXPECT_TRUE(lab.routerForwardings().contains(kForwarded))
        << lab.routerForwardings().toStdString();

    // The table ends: the router forwards nothing any more.
    QFile quit(dir.filePath(QStringLiteral("quit")));
    ASSERT_TRUE(quit.open(QIODevice::WriteOnly));
    ASSERT_TRUE(
        support::spinUntil([&] { return window.table() == lobby::LauncherWindow::Table::Ready; }));
    EXPECT_TRUE(
        support::spinUntil([&] { return !lab.routerForwardings().contains(kForwarded); }, 15000))
        << lab.routerForwardings().toStdString();
}

} // namespace
