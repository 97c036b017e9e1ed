#pragma once

#include "host/game.h"
#include "host/outbound.h"
#include "host/playertable.h"
#include "host/wordlists.h"
#include "protocol/receivequeue.h"

#include <QByteArray>

namespace host {

// The host's rules without sockets or timers: admission and login, dispatch of the
// thirteen messages players send, relays, the drawing record and the game itself.
//
// Every received line is bound to the slot of the connection that delivered it. A line
// whose slot field names another slot is dropped, except where the hosting participant
// (slot 1) acts on others: removing a player, or switching someone to watching.
class HostEngine {
public:
    // The version text both sides compare at login.
    static constexpr char kVersion[] = "2.2.7";

    HostEngine(Outbound& out, RandomSource& random, WordLists lists);

    void setSolo(bool solo) { m_game.setSolo(solo); }

    // A connection is waiting: its slot, or 0 when all fifteen are taken (the caller
    // sends it CMD_full and closes it).
    int admit();
    // The admitted connection is ready to hear its slot number.
    void welcome(int slot);
    // One complete message (without terminator) from the connection in `slot`.
    void lineReceived(int slot, QByteArrayView line);
    // The slot's connection has closed, whoever closed it.
    void connectionClosed(int slot);

    // Handles at most one queued line.
    void drainTick();
    bool hasQueuedLines() const { return !m_queue.isEmpty(); }
    void clockTick() { m_game.clockTick(); }
    bool clockRunning() const { return m_game.clockRunning(); }
    quint64 clockStarts() const { return m_game.clockStarts(); }

    const PlayerTable& players() const { return m_players; }
    const Game& game() const { return m_game; }

private:
    void dispatch(int origin, const QByteArray& name, const QByteArray& payload);
    void drop(int origin, const QByteArray& line, const QString& why);
    void disconnect(int slot, const QString& why);

    void receivedLoginInfo(const QByteArray& payload);
    void kickHim(const QByteArray& payload);
    void relayChat(const QByteArray& payload, const char* name, const char* between);
    void startGame(const QByteArray& payload);
    void relayStroke(int origin, const char* name, const QByteArray& payload);
    void clearMain(const QByteArray& payload);
    void justWatch(const QByteArray& payload);
    void playASound(const QByteArray& payload);
    void refreshPlayerList();

    Outbound& m_out;
    PlayerTable m_players;
    Game m_game;
    protocol::ReceiveQueue m_queue;
};

} // namespace host
