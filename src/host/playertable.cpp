#include "host/playertable.h"

namespace host {

Player* PlayerTable::at(int slot)
{
    return slot >= 1 && slot <= kSlots ? &m_players[static_cast<size_t>(slot)] : nullptr;
}

const Player* PlayerTable::at(int slot) const
{
    return slot >= 1 && slot <= kSlots ? &m_players[static_cast<size_t>(slot)] : nullptr;
}

bool PlayerTable::isConnected(int slot) const
{
    const Player* p = at(slot);
    return p && p->connected;
}

QByteArray PlayerTable::nameOf(int slot) const
{
    const Player* p = at(slot);
    return p ? p->name : QByteArray();
}

qint32 PlayerTable::scoreOf(int slot) const
{
    const Player* p = at(slot);
    return p ? p->score : 0;
}

QList<qint32> PlayerTable::boardScores() const
{
    QList<qint32> scores;
    for (int slot = 1; slot <= kBoardSlots; ++slot)
        scores.append(scoreOf(slot));
    return scores;
}

int PlayerTable::admit()
{
    int slot = 0;
    for (int s = 1; s <= m_highSlot; ++s) {
        if (!m_players[static_cast<size_t>(s)].connected) {
            slot = s;
            break;
        }
    }
    if (slot == 0) {
        if (m_highSlot >= kSlots)
            return 0;
        slot = ++m_highSlot;
    }
    m_players[static_cast<size_t>(slot)].connected = true;
    return slot;
}

void PlayerTable::release(int slot)
{
    if (Player* p = at(slot)) {
        p->connected = false;
        p->loggedIn = false;
        p->name.clear();
        p->watching = false;
    }
}

void PlayerTable::toEveryone(const QByteArray& message)
{
    forEachConnected([&](int slot) { m_out.send(slot, message); });
}

void PlayerTable::toEveryoneExcept(int except, const QByteArray& message)
{
    forEachConnected([&](int slot) {
        if (slot != except)
            m_out.send(slot, message);
    });
}

void PlayerTable::to(int slot, const QByteArray& message)
{
    if (isConnected(slot))
        m_out.send(slot, message);
}

void PlayerTable::resetForGame()
{
    for (Player& p : m_players) {
        p.score = 0;
        p.watching = false;
    }
}

} // namespace host
