#pragma once

#include "support/timedclient.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

namespace support {

// What a seat at a busy table does, each at the pace of the busiest honest window (or, for
// the last two, of a peer that is not honest at all).
enum class Role {
    Drawer,   // slot 1: starts the game and hatches, about 34 stroke lines a second
    Holder,   // holds Enter in the guess field of a window that sends empty guesses: 33 a second
    Chatter,  // a quiet player: a chat line every 300 to 1000 ms, each one timed
    Squeezer, // keeps about 90 of its own chat lines waiting at the host, never more
    Flooder,  // writes chat lines as fast as its socket takes them
};

// A table of bots at a running host (quillon-host or a hosting window) under the load of
// an evening's busiest moments, and what a test or a benchmark reads off it: how late the
// drawer's strokes and the quiet players' chat arrive at every other seat, whether every
// line arrived, and whether the host dropped anybody. Everything runs on the event loop.
class BusyTable : public QObject {
    Q_OBJECT
public:
    BusyTable(quint16 port, const QElapsedTimer& clock, QObject* parent = nullptr);
    ~BusyTable() override;

    // Connects and logs in one bot per role, in slot order. A Drawer must be the first and
    // get slot 1; without one, slot 1 is somebody else's (a hosting window) and whoever
    // draws there is heard in foreignStrokes().
    bool seat(const QList<Role>& roles);
    // The drawer starts a game of very long turns and waits until it draws.
    bool startDrawing();

    // Every seat plays its role for `ms`.
    void play(int ms);
    // The drawer's lines of `heldMs` of drawing at `linesPerSecond`, held back (a stalled
    // link) and written at once.
    void deliverBacklog(int heldMs, int linesPerSecond);
    // Waits until every stroke and timed chat line sent so far has reached every other seat
    // still connected; false when that did not happen within `timeoutMs`.
    bool settle(int timeoutMs);

    // Milliseconds from the write to the read, one figure per line and receiving seat.
    const std::vector<double>& strokeLateMs() const { return m_strokeLateMs; }
    const std::vector<double>& chatLateMs() const { return m_chatLateMs; }
    qint64 strokesSent() const { return m_strokesSent; }
    // Every line the honest seats (drawer, holders, chatters) have sent.
    qint64 linesSent() const { return m_linesSent; }
    // Stroke lines the bots received that no bot drew, counted at the seat that heard least.
    qint64 foreignStrokes() const;
    // Names of the seats whose connection has ended.
    QStringList dropped() const;
    // Chat lines of squeezers and flooders that the host has relayed back to their senders.
    qint64 pressureRelayed() const;

private:
    struct Seat;
    struct Sent {
        qint64 ns = 0;
        int receipts = 0;
    };
    void received(Seat& seat, const QByteArray& message, qint64 ns);
    void startRole(Seat& seat);
    void drawOneLine();
    QByteArray strokeLine(qint64 n) const;
    void chat(Seat& seat);
    void squeeze(Seat& seat);
    void flood(Seat& seat);
    int listeners() const;

    quint16 m_port;
    const QElapsedTimer& m_clock;
    std::vector<std::unique_ptr<Seat>> m_seats;
    QHash<QByteArray, Sent> m_strokes; // by the line as relayed
    QHash<QByteArray, Sent> m_chats;   // by the text as relayed, without the sender's name
    std::vector<double> m_strokeLateMs;
    std::vector<double> m_chatLateMs;
    qint64 m_strokesSent = 0;
    qint64 m_linesSent = 0;
    bool m_playing = false;
    bool m_drawing = false; // slot 1 has been given a phrase
};

} // namespace support
