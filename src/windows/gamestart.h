#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class Tgamestartform;
}

namespace windows {

// The host's "Start Game" dialog: the score to play to (20 to 100 in fives), the time
// limit per turn in seconds (60 to 120 in fives) and whether the game is played in teams.
// The values can only be changed with the arrows, never typed, and stay as the host left
// them for the next opening. A stay-on-top tool window that does not block the player
// window; "Start Game" hands the values to the owner's handler and hides the dialog.
class GameStartDialog : public QDialog {
    Q_OBJECT

public:
    // Receives the values exactly as the dialog shows them ("20", "120").
    using StartHandler = std::function<void(bool team, QString playToScore, QString timePerTurn)>;

    explicit GameStartDialog(QWidget* parent = nullptr);
    ~GameStartDialog() override;

    void setStartHandler(StartHandler handler) { handler_ = std::move(handler); }

    QString playToScoreText() const;
    QString timePerTurnText() const;
    bool isTeamGame() const;

    // What "Start Game" does: run the handler (if any), then hide.
    void startGame();

private:
    std::unique_ptr<Ui::Tgamestartform> ui_;
    StartHandler handler_;
};

} // namespace windows
