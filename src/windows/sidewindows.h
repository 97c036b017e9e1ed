#pragma once

#include "client/services.h"
#include "windows/about.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/phrases.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace windows {

class Shell;

// The side windows of the player window: help, about, the game start dialog and the phrase
// editor. They are
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

    // Receives the dialog's values when the host presses "Start Game".
    void setStartGameHandler(GameStartDialog::StartHandler handler);
    // Receives the nine phrases when the editor's "Done" is pressed.
    void setPhrasesHandler(PhraseEditor::DoneHandler handler);

    HelpWindow* help() const { return help_; }
    AboutWindow* about() const { return about_; }
    GameStartDialog* gameStart() const { return gameStart_; }
    PhraseEditor* phraseEditor() const { return phrases_; }

private:
    void present(QWidget* window) const;

    QPointer<QWidget> mainWindow_;
    QPointer<HelpWindow> help_;
    QPointer<AboutWindow> about_;
    QPointer<GameStartDialog> gameStart_;
    QPointer<PhraseEditor> phrases_;
};

} // namespace windows
