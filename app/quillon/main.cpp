// The game: the player window, the hidden host it switches on when it hosts, and the
// side windows, in that order. One copy runs per desktop session.
#include "client/settingsfile.h"
#include "client/singleinstance.h"
#include "client/tchat.h"
#include "client/userfolders.h"
#include "host/hostserver.h"
#include "host/logline.h"
#include "media/clipplayer.h"
#include "net/portmapper.h"
#include "protocol/lobby.h"
#include "protocol/version.h"
#include "ui/colours.h"
#include "windows/shell.h"
#include "windows/sidewindows.h"
#include "windows/snapshotfolder.h"

#include "platformservices.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

namespace {

// The embedded host's clock second. QUILLON_SECOND_MS shortens it for tests and
// demonstrations, as quillon-host's --second-ms does; it is kept to 50..1000 ms because a
// picking phase of eleven clock seconds must leave a window time to show its chooser, and a
// longer second than the real one helps nobody. Anything else keeps the real second.
host::HostServer::Options embeddedHostOptions()
{
    constexpr int kShortestSecondMs = 50;
    constexpr int kLongestSecondMs = 1000;
    host::HostServer::Options options;
    if (!qEnvironmentVariableIsSet("QUILLON_SECOND_MS"))
        return options;
    const QString text = qEnvironmentVariable("QUILLON_SECOND_MS");
    bool isNumber = false;
    const int secondMs = text.toInt(&isNumber);
    if (isNumber && secondMs >= kShortestSecondMs && secondMs <= kLongestSecondMs) {
        options.secondMs = secondMs;
    } else {
        host::writeLog(host::LogLevel::Warning,
                       QStringLiteral("QUILLON_SECOND_MS=\"%1\" ignored: the clock second takes "
                                      "%2 to %3 milliseconds")
                           .arg(text.left(32))
                           .arg(kShortestSecondMs)
                           .arg(kLongestSecondMs));
    }
    return options;
}

// An invite link opened on the desktop reaches the game when its menu entry handles the link:
// the launcher beside it (or on the PATH) takes it, with the player's name and one Start to
// go. The link is passed as one argument, never through a shell; the launcher reads it.
int handInviteToLauncher(const QString& link)
{
#if defined(Q_OS_WIN)
    const QString name = QStringLiteral("quillon-lobby.exe");
#else
    const QString name = QStringLiteral("quillon-lobby");
#endif
    QString launcher = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFileInfo(launcher).isExecutable())
        launcher = QStandardPaths::findExecutable(name);
    if (launcher.isEmpty()) {
        std::fprintf(stderr,
                     "quillon: cannot open the invite link: there is no %s beside the "
                     "game or on the PATH\n",
                     qUtf8Printable(name));
        return 1;
    }
    if (!QProcess::startDetached(launcher, {link}, QFileInfo(launcher).absolutePath())) {
        std::fprintf(stderr, "quillon: cannot open the invite link: %s could not be started\n",
                     qUtf8Printable(launcher));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QString::fromLatin1(protocol::kFullVersion));
    // The windows' fixed layouts are drawn for the game's own palette and font, not the
    // desktop theme's.
    QApplication::setPalette(ui::gamePalette());
    QApplication::setFont(ui::gameFont());
    // Ties the windows to the menu entry (its icon and name in the task bar, the Wayland
    // app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zelk42.Quillon"));

    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() == 1 && protocol::lobby::isInviteLink(arguments.front()))
        return handInviteToLauncher(arguments.front());

    client::SingleInstance instance;
    if (!instance.acquire())
        return 0; // the running copy has been asked to come to the front

    MessageBoxDialogs dialogs;
    media::ClipPlayer player;
    ClipSounds sounds(player);
    client::Services services;
    services.dialogs = &dialogs;
    services.sounds = &sounds;
    const client::UserFolders folders = client::userFolders(QCoreApplication::applicationDirPath());
    services.settingsPath = folders.settingsPath;
    windows::SnapshotFolder snapshots(folders.snapshotFolder);
    services.snapshots = &snapshots;

    client::Tchat window(services);
    dialogs.setParent(&window);
    host::HostServer hostServer(embeddedHostOptions());
    net::PortMapper router;
    EmbeddedHost host(hostServer, router);
    QObject::connect(
        &router, &net::PortMapper::mapped, &window,
        [&window](const QString& address, quint16) { window.setInternetAddress(address); });
    QObject::connect(&router, &net::PortMapper::unavailable, &window,
                     [&window](const QString&) { window.setInternetAddress({}); });
    windows::DesktopShell shell;
    windows::SideWindowSet sideWindows(&window, shell);
    services.host = &host;
    services.sideWindows = &sideWindows;
    sideWindows.setStartGameHandler(
        [&window](bool team, const QString& score, const QString& seconds) {
            window.startgame(team, score, seconds);
        });
    sideWindows.setStartGameDismissedHandler([&window] { window.gameStartDismissed(); });
    sideWindows.setPhrasesHandler(
        [&window](const windows::PhraseEditor::Phrases& phrases) { window.applyPhrases(phrases); });
    sideWindows.setSnapshotFolder(folders.snapshotFolder);
    sideWindows.setErrorHandler([&window](const QString& text) { window.inform(text); });
    sideWindows.setRemoveHandler([&window](int slot) { window.kicking(slot); });
    windows::LobbyDownloader& downloader = *sideWindows.downloader();
    downloader.setAddress(client::lobbyDownloadAddress(folders.settingsPath));
    downloader.setFolder(folders.downloadFolder);
#if defined(Q_OS_WIN)
    downloader.setLauncher(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillon-lobby.exe")));
#else
    downloader.setLauncher(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillon-lobby")));
#endif
    downloader.setCloseProgram([&window] { window.close(); });
    ShellLinks links(shell);
    services.links = &links;
    window.setServices(services);
    QObject::connect(&instance, &client::SingleInstance::raiseRequested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });

    window.setArguments(arguments);
    window.show();
    return QApplication::exec();
}
