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

// "Download The Zelk42 Lobby", shown at a solo start: download and install the lobby, play
// solo, or hand over to a lobby already installed. The download runs on this thread; while
// it waits the window stays live, so "Stop Download" can end it. A partly received
// installer stays on disk; only a whole one is started, after which the program closes.
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
};

} // namespace windows
