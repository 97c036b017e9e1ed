#pragma once

#include "protocol/receivequeue.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <bitset>
#include <deque>

namespace host {

// The host's receive queue: one queue per connection, each line stamped with its place in
// the order of arrival across all connections. Lines are taken in rounds: a round takes at
// most one line from each connection, and among the connections it has not served yet
// always the line that arrived first. So while no connection has a backlog the lines are
// handled exactly in the order they arrived (two right answers are credited to whoever was
// first, not to the lower seat), and a connection with a backlog delays every other by at
// most one line per round, never by its whole backlog.
class FairQueue {
public:
    static constexpr int kSlots = 15;

    struct Line {
        int slot = 0; // 0 when no line could be taken
        QByteArray text;
    };
    // The connections a round has served.
    using Round = std::bitset<kSlots + 1>;

    void push(int slot, QByteArrayView text);
    // Of the connections that `round` has not served and `mayServe(slot)` allows, the head
    // line that arrived first; its connection joins `round`.
    template <class MayServe> Line takeOldest(Round& round, MayServe&& mayServe)
    {
        int oldest = 0;
        for (int slot = 1; slot <= kSlots; ++slot) {
            const PerConnection& q = m_queues[static_cast<size_t>(slot)];
            if (q.arrivals.empty() || round.test(static_cast<size_t>(slot)))
                continue;
            if (oldest != 0 &&
                m_queues[static_cast<size_t>(oldest)].arrivals.front() < q.arrivals.front())
                continue;
            if (mayServe(slot))
                oldest = slot;
        }
        if (oldest == 0)
            return {};
        round.set(static_cast<size_t>(oldest));
        return {oldest, take(oldest)};
    }

    bool isEmpty() const { return m_waiting == 0; }
    qsizetype countFrom(int slot) const;
    qsizetype bytesFrom(int slot) const;
    // Forgets a connection's waiting lines and the memory they held.
    void discardFrom(int slot);

private:
    struct PerConnection {
        protocol::ReceiveQueue lines;
        std::deque<quint64> arrivals; // one stamp per waiting line, oldest first
    };
    static bool valid(int slot) { return slot >= 1 && slot <= kSlots; }
    QByteArray take(int slot);

    std::array<PerConnection, kSlots + 1> m_queues; // index 0 unused
    qsizetype m_waiting = 0;
    quint64 m_arrivals = 0;
};

} // namespace host
