#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class Tdownload;
}
namespace net {
class HttpDownload;
}

namespace windows {

class Shell;

// The most the installer may weigh; the lobby's is a few megabytes. A server sending more
// (or announcing more) fails the download instead of filling the disk.
inline constexpr qint64 kMaxInstallerBytes = 64 * 1024 * 1024;

// Whether the lobby's installer (a Windows program) can run on this platform.
#if defined(Q_OS_WIN)
inline constexpr bool kInstallerRunsHere = true;
#else
inline constexpr bool kInstallerRunsHere = false;
#endif

// "Download The Zelk42 Lobby", shown at a solo start: download and install the lobby, play
// solo, or hand over to a lobby already installed. The download runs on this thread; while
// it waits the window stays live, so "Stop Download" can end it. Redirects are followed;
// only a whole 2xx body of at most kMaxInstallerBytes is kept, saved under a temporary name
// and renamed into place, so a failed or stopped download leaves no file; the window then
// says "Download Aborted" and why. A whole installer is started, after which the program
// closes; where it cannot run, the window says where it was saved instead.
class LobbyDownloader : public QDialog {
    Q_OBJECT

public:
    using Inform = std::function<void(const QString& text)>;

    explicit LobbyDownloader(Shell& shell, QWidget* parent = nullptr);
    ~LobbyDownloader() override;

    // The installer's address; its last path segment names the local file.
    void setAddress(const QString& url) { address_ = url; }
    // Where the installer is saved.
    void setFolder(const QString& folder) { folder_ = folder; }
    // Where an installed lobby is (the platform's fixed place unless told otherwise).
    void setInstalledLobby(const QString& path) { installedLobby_ = path; }
    // Our own launcher beside the game, opened by "Play with Others" when no lobby is
    // installed.
    void setLauncher(const QString& path) { launcher_ = path; }
    // Closes the program, as File, Exit does.
    void setCloseProgram(std::function<void()> close) { closeProgram_ = std::move(close); }
    // The most bytes the installer may have (kMaxInstallerBytes unless told otherwise).
    void setMaxSize(qint64 bytes);
    // Whether a downloaded installer is started (kInstallerRunsHere unless told otherwise).
    void setInstallerRunsHere(bool runs) { installerRunsHere_ = runs; }
    // Shows a message box; by default one over this window, which stays on top.
    void setInform(Inform inform) { inform_ = std::move(inform); }

    // Centred on the desktop, above the other windows.
    void present();

    // "Download And Install The Zelk42 Lobby Now": returns when the transfer has ended.
    void download();
    // "Stop Download".
    void stop();
    // "Play Solo Game".
    void playSolo();
    // "Play with Others".
    void playWithOthers();

    Ui::Tdownload& ui() { return *ui_; }

private:
    enum class State { Idle, Started, Aborted };

    void inform(const QString& text);

    std::unique_ptr<Ui::Tdownload> ui_;
    std::unique_ptr<net::HttpDownload> http_;
    Shell& shell_;
    QString address_;
    QString folder_;
    QString installedLobby_;
    QString launcher_;
    std::function<void()> closeProgram_;
    Inform inform_;
    State state_ = State::Idle;
    bool installerRunsHere_ = kInstallerRunsHere;
};

} // namespace windows
