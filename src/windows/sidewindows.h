#pragma once

#include "client/services.h"
#include "windows/about.h"
#include "windows/downloader.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/phrases.h"
#include "windows/snapshots.h"
#include "windows/spylist.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace windows {

class Shell;

// The side windows of the player window: help, about, the game start dialog, the phrase
// editor, the snapshot viewer, the spy list and the lobby downloader. They are
// made once, hidden, owned by the main window (or, without one, by this object), and each
// time one is opened it is centred on the main window and raised. The help window's
// "About" button opens the about window.
class SideWindowSet : public QObject, public client::SideWindows {
    Q_OBJECT

public:
    // `mainWindow` may be null (the windows are then centred on the screen); `shell` opens
    // web addresses and must outlive the windows.
    SideWindowSet(QWidget* mainWindow, Shell& shell, QObject* parent = nullptr);
    ~SideWindowSet() override;

    void showGameStart() override;
    QString timePerTurnText() const override;
    void showHelp() override;
    void showAbout() override;
    void showPhraseEditor(const std::array<QString, 9>& phrases) override;
    void showSnapshots() override;
    void showSpyList() override;
    void setSpectators(const QStringList& entries) override;
    void setHosting(bool hosting) override;
    // Centred on the desktop rather than on the main window.
    void showLobbyDownloader() override;

    // Receives the dialog's values when the host presses "Start Game".
    void setStartGameHandler(GameStartDialog::StartHandler handler);
    // Called when the dialog is closed without starting (its frame's close, Escape).
    void setStartGameDismissedHandler(std::function<void()> handler);
    // Receives the nine phrases when the editor's "Done" is pressed.
    void setPhrasesHandler(PhraseEditor::DoneHandler handler);
    // Where the snapshots are, and who shows what the viewer could not open.
    void setSnapshotFolder(const QString& folder);
    void setErrorHandler(SnapshotViewer::ErrorHandler handler);
    // Receives the slot when the host removes a spectator from the spy list.
    void setRemoveHandler(SpyList::RemoveHandler handler);

    LobbyDownloader* downloader() const { return downloader_; }
    HelpWindow* help() const { return help_; }
    AboutWindow* about() const { return about_; }
    GameStartDialog* gameStart() const { return gameStart_; }
    PhraseEditor* phraseEditor() const { return phrases_; }
    SnapshotViewer* snapshots() const { return snapshots_; }
    SpyList* spyList() const { return spyList_; }

private:
    void present(QWidget* window) const;

    QPointer<QWidget> mainWindow_;
    QPointer<HelpWindow> help_;
    QPointer<AboutWindow> about_;
    QPointer<GameStartDialog> gameStart_;
    QPointer<PhraseEditor> phrases_;
    QPointer<SnapshotViewer> snapshots_;
    QPointer<SpyList> spyList_;
    QPointer<LobbyDownloader> downloader_;
};

} // namespace windows
