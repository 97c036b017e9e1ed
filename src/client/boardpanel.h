#pragma once

#include "client/boardlog.h"
#include "client/clientstate.h"
#include "client/drawinghistory.h"
#include "client/linepacer.h"
#include "client/strokelines.h"
#include "protocol/catalogue.h"
#include "protocol/colour.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <deque>
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

// The drawing board and the drawer's toolbar: pen colour, pen width with its spinner, the
// trash, the eraser, the fill, undo and redo. The drawer's mouse draws on the board at once
// and goes to the host as a pen-down (CMD_moveit) and batches of points (CMD_draw); the
// other windows draw what the host relays, with the same calls, so every board shows the
// same pixels.
//
// The tools send nothing else, so every window, whatever it knows of them, shows what the
// drawer's shows: the eraser is a pen of the board's white with a width of its own; a fill
// is a few width-1 strokes along the rows of the area; an undo wipes every board
// (CMD_clearmain) and sends the strokes that stay again, in full batches; a redo sends the
// step again. The drawer's lines go out through a pacer a little under the host's budget,
// in order, so a long resend never has its lines held at the host and a newcomer's replay
// (the host's record since the wipe) shows what everybody else's board shows.
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
        QToolButton* eraser;
        QToolButton* fill;
        QToolButton* undo;
        QToolButton* redo;
    };
    // Points a CMD_draw carries while a stroke goes on: it goes out at the 101st.
    static constexpr int kBatch = kPointsPerLine;
    static constexpr int kStartEraserWidth = 15;

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

    // The toolbar's undo and redo (Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z too).
    void undo();
    void redo();
    // Lines waiting for the pacer.
    size_t linesWaiting() const { return m_outbox.size(); }

    // What the board was told since the turn began (for the album), handed over once.
    BoardLog takeTurnLog() { return std::exchange(m_log, {}); }

Q_SIGNALS:
    // The board was pressed, by anybody: passing is no longer offered.
    void touched();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Line {
        protocol::MessageId id;
        protocol::Fields fields;
    };
    void mouseDown(QPoint at);
    void mouseMove(QPoint at, Qt::MouseButtons buttons);
    void mouseUp();
    void clearClick();
    void fillAt(QPoint at);
    void sendPending();
    // Ends the stroke going on, its last points sent.
    void closeStroke();
    void wipeBoard();
    void drawStrokes(const std::vector<Stroke>& strokes);
    void send(protocol::MessageId id, protocol::Fields fields);
    void drain();
    void chooseEraser(bool on);
    void updateHistoryButtons();
    bool drawing() const { return m_state.mySlot == m_state.currentDrawer; }

    Widgets m_w;
    const ClientState& m_state;
    ClientConnection& m_connection;
    // The stroke this window is drawing: its pen, and the points not sent yet.
    bool m_strokeActive = false;
    protocol::ColourValue m_penColour = protocol::kBlack;
    int m_penWidth = 0;
    QList<QPoint> m_pending;
    // The width the other tool keeps while the spinner shows this one's.
    int m_otherWidth = kStartEraserWidth;
    BoardLog m_log;
    DrawingHistory m_history;
    // Lines to the host, in order, as the pacer lets them go.
    std::deque<Line> m_outbox;
    LinePacer m_pacer;
    QElapsedTimer m_clock;
    QTimer m_drainTimer;
};

} // namespace client
