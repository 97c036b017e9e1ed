// The launcher: friends meet at a table without the outside lobby. It starts the game beside
// it with the lobby's command line and holds the game's link on the lobby's port, so it knows
// while a table runs. Its one argument may be an invite link (quillon://HOST[:PORT]), which the
// desktop hands it when a friend's link is opened.
#include "client/userfolders.h"
#include "lobby/gamelauncher.h"
#include "lobby/launcherwindow.h"
#include "lobby/lobbylistener.h"
#include "lobby/routerlink.h"
#include "lobby/tablefinder.h"
#include "net/portmapper.h"
#include "protocol/lobby.h"
#include "protocol/version.h"
#include "ui/colours.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The game's name: the launcher shares the game's settings file, wherever that lives.
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QString::fromLatin1(protocol::kFullVersion));
    // The windows' fixed layouts are drawn for the game's own palette and font, not the
    // desktop theme's.
    QApplication::setPalette(ui::gamePalette());
    QApplication::setFont(ui::gameFont());
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zelk42.QuillonLobby"));

    const QString folder = QCoreApplication::applicationDirPath();
#if defined(Q_OS_WIN)
    const QString game = QDir(folder).filePath(QStringLiteral("quillon.exe"));
#else
    const QString game = QDir(folder).filePath(QStringLiteral("quillon"));
#endif

    lobby::LobbyListener listener;
    QString listenError;
    listener.listen(protocol::lobby::kLobbyPort, &listenError);
    lobby::GameLauncher launcher(game);

    lobby::LauncherWindow::Parts parts;
    parts.settingsPath = client::userFolders(folder).settingsPath;
    parts.game = &launcher;
    parts.listener = &listener;
    parts.listenError = listenError;
    parts.lookUp = lobby::systemHostLookup();
    // Tables announced on the local network; without the port (another launcher has it on a
    // system without shared ports) the list just stays empty.
    lobby::TableFinder finder;
    finder.start();
    parts.finder = &finder;
    lobby::LauncherWindow window(parts);

    // While its game hosts, the router is asked to forward the game's port.
    net::PortMapper router;
    lobby::RouterLink routerLink(window, router);
    window.takeArguments(QApplication::arguments().mid(1));
    window.show();
    return QApplication::exec();
}
