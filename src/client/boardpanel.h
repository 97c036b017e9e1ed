#pragma once

#include "client/clientstate.h"

#include <QObject>

class QLineEdit;
class QToolButton;

namespace ui {
class ColourButton;
class UpDown;
} // namespace ui

namespace client {

class DrawingBoard;

// The drawing board and the drawer's toolbar: pen colour, pen width with its spinner, and
// the trash button. It draws what the host relays and starts every turn afresh.
class BoardPanel : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        DrawingBoard* board;
        QWidget* toolbar;
        ui::ColourButton* colour;
        QLineEdit* width;
        ui::UpDown* widthSpinner;
        QToolButton* trash;
    };

    BoardPanel(const Widgets& widgets, const ClientState& state, QObject* parent = nullptr);

    // A new game hides the toolbar; a turn wipes the board and gives the drawer the toolbar
    // with a black pen of width 3.
    void startGame();
    void startTurn(int drawer);
    // Message handlers; each takes the payload after the message name and its "+".
    void moveit(const QByteArray& payload);
    void drawit(const QByteArray& payload);
    void clearmain(const QByteArray& payload);

private:
    Widgets m_w;
    const ClientState& m_state;
};

} // namespace client
