#pragma once

#include "protocol/catalogue.h"
#include "protocol/framing.h"

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

namespace soak {

class TableWatch;

// A span of milliseconds (or a count) drawn at random, both ends included.
struct Span {
    int low = 0;
    int high = 0;
    int draw(QRandomGenerator& random) const { return low + random.bounded(high - low + 1); }
};

// How a bot plays, in real milliseconds: a person's pace, whatever the host's clock.
struct Pace {
    Span pickMs{200, 700};     // thinking over the category
    Span strokeMs{250, 600};   // from one stroke to the next while drawing
    Span strokePoints{4, 14};  // mouse positions per stroke
    Span guessMs{700, 2500};   // from one guess to the next
    Span chatMs{3000, 10000};  // from one chat line to the next
    int rightGuessPercent = 8; // a guess that names the phrase
    int passPercent = 5;       // a drawer who buys another phrase, once a turn
    int clearPercent = 3;      // a stroke that is the trash can instead
    // The game the bot in slot 1 starts when none runs: small targets, so games end.
    int turnSeconds = 20;
    Span target{2, 5};
    Span startPauseMs{1500, 4000}; // after a winner, before the next game
};

// One player of the evening, over its own TCP connection to the host. It logs in, and
// plays as its slot says: any slot draws when the host gives it the turn (picks a category,
// sends strokes at a human pace, sometimes passes or clears); slots 1 to 10 guess (now and
// then the right phrase, read from the host's log through the watch); everybody chats; the
// bot in slot 1 starts a game whenever none runs. Chat lines carry their send time, so each
// bot that hears one tells the watch how long it took.
class SoakBot : public QObject {
    Q_OBJECT
public:
    SoakBot(QByteArray name, TableWatch& watch, QRandomGenerator& random, const Pace& pace,
            QObject* parent = nullptr);

    void connectTo(quint16 port);
    // Leaves the table: an orderly close, or a reset (the connection simply breaks).
    void leave(bool reset);

    const QByteArray& name() const { return m_name; }
    int slot() const { return m_slot; }
    // Logged in, and the host has announced it to the table.
    bool isSeated() const { return m_seated; }
    bool isSpectator() const { return m_slot > kBoardSlots; }
    // The host refused it (CMD_full) or the connection ended.
    bool isGone() const { return m_gone; }

    static constexpr int kBoardSlots = 10;

Q_SIGNALS:
    void seated(SoakBot* bot);
    void gone(SoakBot* bot);

private:
    void readSocket();
    void handle(const QByteArray& name, const QByteArray& payload);
    void turnOver();
    void send(protocol::MessageId id, const protocol::Fields& fields);
    void sendStroke();
    void sendGuess();
    void sendChat();
    void checkDuty();
    void arm(QTimer& timer, const Span& span);
    void ended();

    QByteArray m_name;
    TableWatch& m_watch;
    QRandomGenerator& m_random;
    const Pace& m_pace;
    QTcpSocket m_socket;
    protocol::MessageFramer m_framer;
    int m_slot = 0;
    bool m_seated = false;
    bool m_gone = false;
    bool m_leaving = false;
    int m_drawer = 0;
    bool m_passed = false;
    int m_chatSerial = 0;
    QPoint m_pen;
    QTimer m_pickTimer;
    QTimer m_strokeTimer;
    QTimer m_guessTimer;
    QTimer m_chatTimer;
    QTimer m_dutyTimer;
    int m_startPauseMs = 0;
    qint64 m_startSentMs = -1;
};

} // namespace soak
