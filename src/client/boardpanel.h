#pragma once

#include "client/boardlog.h"
#include "client/clientstate.h"
#include "protocol/colour.h"

#include <QList>
#include <QObject>
#include <QPoint>

#include <utility>

class QLineEdit;
class QToolButton;

namespace ui {
class ColourButton;
class UpDown;
} // namespace ui

namespace client {

class ClientConnection;
class DrawingBoard;

// The drawing board and the drawer's toolbar: pen colour, pen width with its spinner, and
// the trash button. The drawer's mouse draws on the board at once and goes to the host as
// a pen-down (CMD_moveit) and batches of points (CMD_draw); the other windows draw what the
// host relays, with the same calls, so every board shows the same pixels.
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
    // Points a CMD_draw carries while a stroke goes on: it goes out at the 101st.
    static constexpr int kBatch = 101;

    BoardPanel(const Widgets& widgets, const ClientState& state, ClientConnection& connection,
               QObject* parent = nullptr);

    // A new game hides the toolbar; a category choice ends any stroke; a turn wipes the
    // board and gives the drawer the toolbar with a black pen of width 3.
    void startGame();
    void pickCategory();
    void startTurn(int drawer);
    // Message handlers; each takes the payload after the message name and its "+".
    void moveit(const QByteArray& payload);
    void drawit(const QByteArray& payload);
    void clearmain(const QByteArray& payload);

    // What the board was told since the turn began (for the album), handed over once.
    BoardLog takeTurnLog() { return std::exchange(m_log, {}); }

Q_SIGNALS:
    // The board was pressed, by anybody: passing is no longer offered.
    void touched();

private:
    void mouseDown(QPoint at);
    void mouseMove(QPoint at, Qt::MouseButtons buttons);
    void mouseUp();
    void clearClick();
    void sendPending();
    bool drawing() const { return m_state.mySlot == m_state.currentDrawer; }

    Widgets m_w;
    const ClientState& m_state;
    ClientConnection& m_connection;
    // The stroke this window is drawing: its pen, and the points not sent yet.
    bool m_strokeActive = false;
    protocol::ColourValue m_penColour = protocol::kBlack;
    int m_penWidth = 0;
    QList<QPoint> m_pending;
    BoardLog m_log;
};

} // namespace client
