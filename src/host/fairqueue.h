#pragma once

#include "protocol/receivequeue.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace host {

// The host's receive queue: one queue per connection, taken from in turn. Each
// connection's lines keep their order; a connection that keeps many lines waiting delays
// the others by at most one line per turn round, never by its whole backlog.
class FairQueue {
public:
    static constexpr int kSlots = 15;

    struct Line {
        int slot = 0; // 0 when the queue was empty
        QByteArray text;
    };

    void push(int slot, QByteArrayView text);
    // The next line in turn: from the first slot after the one served last that has any.
    Line take();

    bool isEmpty() const { return m_waiting == 0; }
    qsizetype countFrom(int slot) const;
    // Forgets a connection's waiting lines and the memory they held.
    void discardFrom(int slot);

private:
    static bool valid(int slot) { return slot >= 1 && slot <= kSlots; }

    std::array<protocol::ReceiveQueue, kSlots + 1> m_queues; // index 0 unused
    qsizetype m_waiting = 0;
    int m_lastServed = 0;
};

} // namespace host
