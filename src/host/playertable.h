#pragma once

#include "host/outbound.h"

#include <QByteArray>
#include <QList>

#include <array>

namespace host {

struct Player {
    QByteArray name; // as given at login, Windows-1252; empty until then
    bool connected = false;
    bool loggedIn = false; // connected and named: seated at the table
    qint32 score = 0;      // kept when the player leaves; cleared only at game start
    bool watching = false;
};

// The fixed table of 15 slots. A slot number is a participant's identity in every message:
// 1 is the hosting participant, 1 to 10 have a row on the score board, 11 to 15 are
// spectators. Every pass over the players runs over slots 1 to highSlot() in ascending
// order and skips the slots without a live connection.
class PlayerTable {
public:
    static constexpr int kSlots = 15;
    static constexpr int kBoardSlots = 10;

    explicit PlayerTable(Outbound& out) : m_out(out) {}

    // The player in `slot`, or nullptr for any number outside 1 to 15.
    Player* at(int slot);
    const Player* at(int slot) const;
    bool isConnected(int slot) const;
    QByteArray nameOf(int slot) const;
    qint32 scoreOf(int slot) const;
    // The scores of the ten rows of the score board, in slot order (CMD_gamestats and
    // CMD_teamscore carry exactly these).
    QList<qint32> boardScores() const;
    int highSlot() const { return m_highSlot; }

    // Gives a new connection a slot: the first free one up to highSlot(), else a new one.
    // Returns 0 when all 15 are taken (the connection is refused).
    int admit();
    // The slot's player has gone: not connected, not logged in, no name, not watching; the
    // score stays.
    void release(int slot);

    void toEveryone(const QByteArray& message);
    void toEveryoneExcept(int slot, const QByteArray& message);
    // Sends to one slot if it holds a live connection.
    void to(int slot, const QByteArray& message);

    template <class F> void forEachConnected(F&& f) const
    {
        for (int slot = 1; slot <= m_highSlot; ++slot) {
            if (m_players[static_cast<size_t>(slot)].connected)
                f(slot);
        }
    }

    // Every slot whose player has logged in and not left: the players a game can be won by.
    template <class F> void forEachSeated(F&& f) const
    {
        for (int slot = 1; slot <= m_highSlot; ++slot) {
            const Player& p = m_players[static_cast<size_t>(slot)];
            if (p.connected && p.loggedIn)
                f(slot, p);
        }
    }

    // Game start: every score of all fifteen slots 0 (a team's copies reach rows above the
    // highest slot handed out, and a newcomer there must not inherit them) and nobody
    // watching.
    void resetForGame();

private:
    Outbound& m_out;
    std::array<Player, kSlots + 1> m_players{}; // index 0 unused
    int m_highSlot = 0;
};

} // namespace host
