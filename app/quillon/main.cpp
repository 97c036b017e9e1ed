// The game: the player window, the hidden host it switches on when it hosts, and the
// side windows, in that order. One copy runs per desktop session.
#include "client/settingsfile.h"
#include "client/singleinstance.h"
#include "client/tchat.h"
#include "client/userfolders.h"
#include "host/hostserver.h"
#include "media/clipplayer.h"
#include "protocol/version.h"
#include "windows/shell.h"
#include "windows/sidewindows.h"
#include "windows/snapshotfolder.h"

#include "platformservices.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationVersion(QString::fromLatin1(protocol::kFullVersion));
    // Ties the windows to the menu entry (its icon and name in the task bar, the Wayland
    // app id).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zelk42.Quillon"));

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
    host::HostServer hostServer(host::HostServer::Options{});
    EmbeddedHost host(hostServer);
    windows::DesktopShell shell;
    windows::SideWindowSet sideWindows(&window, shell);
    services.host = &host;
    services.sideWindows = &sideWindows;
    sideWindows.setStartGameHandler(
        [&window](bool team, const QString& score, const QString& seconds) {
            window.startgame(team, score, seconds);
        });
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

    window.setArguments(QApplication::arguments().mid(1));
    window.show();
    return QApplication::exec();
}
