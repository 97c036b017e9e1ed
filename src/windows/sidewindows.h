#pragma once

#include "client/services.h"
#include "windows/about.h"
#include "windows/gamestart.h"
#include "windows/help.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace windows {

class Shell;

// The side windows of the player window: help, about and the game start dialog. They are
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

    // Receives the dialog's values when the host presses "Start Game".
    void setStartGameHandler(GameStartDialog::StartHandler handler);

    HelpWindow* help() const { return help_; }
    AboutWindow* about() const { return about_; }
    GameStartDialog* gameStart() const { return gameStart_; }

private:
    void present(QWidget* window) const;

    QPointer<QWidget> mainWindow_;
    QPointer<HelpWindow> help_;
    QPointer<AboutWindow> about_;
    QPointer<GameStartDialog> gameStart_;
};

} // namespace windows
