#pragma once

#include "client/services.h"

#include <QObject>

class QPushButton;

namespace client {

class DrawingBoard;
class TurnPanel;

// "Take A Snap Shot": between turns, the finished drawing with its caption (date, drawer,
// answer) written into the board's corner is kept as the next numbered snapshot. The
// counter is advanced before each save and stored with the settings after a good one; a
// failed save is told, and the advanced counter is then not stored. At kLastSnapshotNumber
// the counter is full: a press tells so and keeps nothing, rather than overwrite the first
// snapshots or count past what an int holds.
class SnapshotButton : public QObject {
    Q_OBJECT
public:
    // `services` belongs to the window and may be completed after construction.
    SnapshotButton(QPushButton* button, DrawingBoard& board, const TurnPanel& turn,
                   const Services& services, QObject* parent = nullptr);

    // Offered when a turn ends, withdrawn when the next begins.
    void turnEnded();
    void turnBegins();
    void take();

    // The number of the last snapshot taken, as the settings keep it.
    int count() const { return m_count; }
    void setCount(int count);

Q_SIGNALS:
    void saved();
    void failed(const QString& text);

private:
    QPushButton* m_button;
    DrawingBoard& m_board;
    const TurnPanel& m_turn;
    const Services& m_services;
    int m_count = 0;
};

} // namespace client
