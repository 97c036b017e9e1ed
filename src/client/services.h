#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QImage;

// The player window's side effects sit behind these small interfaces, handed in at
// construction, so the window can be driven on the offscreen platform by tests.
namespace client {

// Plays the program's sounds by name ("turn", "cat3", "wave7"; case does not matter).
// Without an audio device playing is silence, never an error.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QByteArray& name) = 0;
};

// Modal message boxes ("Game is full", "You are not connected", ...).
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void inform(const QString& text) = 0;
};

// The side windows the player window opens. They are created once, hidden, and reused.
class SideWindows {
public:
    virtual ~SideWindows() = default;
    virtual void showGameStart() = 0;
    // The game start dialog's time per turn ("120" unless the host changed it): the turn
    // clock's start when the host has not announced one.
    virtual QString timePerTurnText() const = 0;
    virtual void showHelp() = 0;
    virtual void showAbout() = 0;
    // The quick-phrase editor, filled with the buttons' phrases.
    virtual void showPhraseEditor(const std::array<QString, 9>& phrases) = 0;
    virtual void showSnapshots() = 0;
    virtual void showSpyList() = 0;
    // The spectators, "slot: name" each, as the roster has them now.
    virtual void setSpectators(const QStringList& entries) = 0;
    // The hosting copy may remove spectators from the spy list.
    virtual void setHosting(bool hosting) = 0;
    // The window that offers to download and install the lobby (shown at a solo start).
    virtual void showLobbyDownloader() = 0;
};

// Keeps pictures of finished drawings as numbered files.
class SnapshotStore {
public:
    virtual ~SnapshotStore() = default;
    // Writes snapshot `number`, replacing one of that number, whole or not at all.
    // Nothing on success, otherwise what went wrong, naming the file.
    virtual std::optional<QString> save(const QImage& picture, int number) = 0;
    // The folder the snapshots are kept in (it may not exist yet): albums go there too.
    virtual QString folder() const = 0;
};

// Opens an address from the transcript with the desktop's program for it.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual void open(const QString& address) = 0;
};

// The host engine a hosting copy switches on; the program beside the window owns it.
class HostSwitch {
public:
    virtual ~HostSwitch() = default;
    // Starts listening for players; throws net::ESockException ("Listen - Error Binding
    // Socket") when the port is taken. A solo table draws its passes differently.
    virtual void start(bool solo) = 0;
};

struct Services {
    SoundPlayer* sounds = nullptr;
    Dialogs* dialogs = nullptr;
    SideWindows* sideWindows = nullptr;
    HostSwitch* host = nullptr;
    LinkOpener* links = nullptr;
    SnapshotStore* snapshots = nullptr;
    // The settings file shared with the lobby (beside the program, see userFolders).
    QString settingsPath;
};

} // namespace client
