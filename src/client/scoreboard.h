#pragma once

#include "client/seats.h"

#include <QFrame>

#include <array>
#include <memory>

class QLabel;
class QMenu;

namespace Ui {
class ScoreBoard;
}

namespace client {

class Roster;

// The score board: a row per player slot 1 to 10 (name, score, the eyes of a player who
// only watches), the arrow at the row whose turn it is, the point tags after a correct
// answer, the line naming who draws, and the hosting window's row menu. It shows the
// roster and follows its changes; it reads nothing back from its labels.
class ScoreBoard : public QFrame {
    Q_OBJECT
public:
    explicit ScoreBoard(QWidget* parent = nullptr);
    ~ScoreBoard() override;

    void follow(const Roster& roster);
    // Whether the row menu's items are enabled (the hosting window).
    void setHosting(bool hosting) { m_hosting = hosting; }

    // The parts of the turn shown here: a new game (team games colour odd rows black), who
    // picks, who draws (on this window, `mySlot`), and who guessed the phrase.
    void startGame(bool team);
    void pointTo(int slot);
    void startTurn(int drawer, int mySlot);
    void showPointTags(int guesser);

    // The row menu of rows 2 to 10: "Remove From Game" (not on a free row), "Set to Just
    // Watch", "Unset Just Watch", all disabled unless hosting.
    std::unique_ptr<QMenu> rowMenu(int row);

Q_SIGNALS:
    void removeRequested(int slot);
    void watchRequested(int slot, bool watch);

private:
    void showRow(int slot);
    void setRowColour(int slot, const QColor& colour);
    QLabel* nameLabel(int slot) const;

    std::unique_ptr<Ui::ScoreBoard> m_ui;
    const Roster* m_roster = nullptr;
    std::array<QLabel*, seats::kRows + 1> m_names{};
    std::array<QLabel*, seats::kRows + 1> m_scores{};
    std::array<QLabel*, seats::kRows + 1> m_eyes{};
    bool m_hosting = false;
};

} // namespace client
