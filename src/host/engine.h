#pragma once

#include "host/fairqueue.h"
#include "host/game.h"
#include "host/limits.h"
#include "host/linebudget.h"
#include "host/outbound.h"
#include "host/playertable.h"
#include "host/wordlists.h"

#include <QByteArray>

#include <array>

namespace host {

// The host's rules without sockets or timers: admission and login, dispatch of the
// thirteen messages players send, relays, the drawing record and the game itself. Time
// comes in as milliseconds of a steady clock with the calls that need it.
//
// Every received line is bound to the slot of the connection that delivered it. A line
// whose slot field names another slot is dropped, except where the hosting participant
// (slot 1) acts on others: removing a player, or switching someone to watching. Lines are
// taken in rounds, one per connection, oldest first; a connection that sends faster than its
// budget waits for it, and one whose queue is full is asked to be read no more until it has
// drained (inputHeld), so no honest burst costs its sender the seat. A connection that never
// logs in, or fills the drawing record, is dropped.
class HostEngine {
public:
    struct Options {
        // No player window hosts (quillon-host): the turns go on while slot 1 is empty.
        bool dedicated = false;
        // How long an admitted connection may take to log in.
        qint64 loginTimeoutMs = limits::kLoginSeconds * 1000;
    };

    HostEngine(Outbound& out, RandomSource& random, WordLists lists, Options options);
    HostEngine(Outbound& out, RandomSource& random, WordLists lists)
        : HostEngine(out, random, std::move(lists), Options{})
    {}

    void setSolo(bool solo) { m_game.setSolo(solo); }

    // A connection is waiting: its slot, or 0 when all fifteen are taken (the caller
    // sends it CMD_full and closes it).
    int admit(qint64 nowMs);
    // The admitted connection is ready to hear its slot number.
    void welcome(int slot);
    // One complete message (without terminator) from the connection in `slot`.
    void lineReceived(int slot, QByteArrayView line);
    // Whether the connection in `slot` should not be read for now: its unhandled lines have
    // reached limits::kHoldQueuedLines (or kHoldQueuedBytes) and are not yet down to half.
    bool inputHeld(int slot) const;
    // The slot's connection has closed, whoever closed it.
    void connectionClosed(int slot);

    // When the next admitted connection runs out of time to log in; -1 when none waits.
    qint64 nextLoginDeadline() const;
    // Closes the connections whose time to log in is over.
    void expireLogins(qint64 nowMs);

    // One round: at most one queued line of every connection whose budget allows it, the
    // line that arrived first first.
    void drainTick(qint64 nowMs);
    bool hasQueuedLines() const { return !m_queue.isEmpty(); }
    void clockTick();
    bool clockRunning() const { return m_game.clockRunning(); }
    quint64 clockStarts() const { return m_game.clockStarts(); }

    const PlayerTable& players() const { return m_players; }
    const Game& game() const { return m_game; }

private:
    // What the engine knows of the connection in a slot, beyond the player table.
    struct Link {
        DrawingRecord::Owner id = 0; // serial number of the connection; 0: none
        qint64 loginDeadlineMs = -1; // until the login; -1 when none is awaited
        LineBudget budget;
        bool inputHeld = false;
    };

    void handle(const FairQueue::Line& line);
    void dispatch(int origin, const QByteArray& name, const QByteArray& payload);
    void updateIntake(int slot);
    void drop(int origin, const QByteArray& line, const QString& why);
    void disconnect(int slot, const QString& why);
    Link& link(int slot) { return m_links[static_cast<size_t>(slot)]; }

    void receivedLoginInfo(int origin, const QByteArray& payload);
    void kickHim(const QByteArray& payload);
    void relayChat(const QByteArray& payload, const char* name, const char* between);
    void startGame(const QByteArray& payload);
    void relayStroke(int origin, const char* name, const QByteArray& payload);
    void clearMain(const QByteArray& payload);
    void justWatch(const QByteArray& payload);
    void playASound(const QByteArray& payload);
    void refreshPlayerList();
    // What a newcomer to a game in progress needs to show it as everybody else does.
    void sendGameState(int slot);
    // Tells the operator which phrase the drawer now has, when it changed.
    void logPhrase(const QByteArray& before);

    Outbound& m_out;
    Options m_options;
    PlayerTable m_players;
    Game m_game;
    FairQueue m_queue;
    std::array<Link, PlayerTable::kSlots + 1> m_links{}; // index 0 unused
    DrawingRecord::Owner m_lastConnectionId = 0;
};

} // namespace host
