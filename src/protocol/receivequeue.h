#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

namespace protocol {

// First-in first-out list of received messages, drained one entry per timer tick.
// An entry is handed out cut to its first kMaxEntryLength characters.
//
// Messages are appended to one growing byte arena instead of one allocation each: framing
// a read into the queue then costs little more than finding the terminators. The arena's
// consumed front is released once it is larger than what still waits.
class ReceiveQueue {
public:
    void push(QByteArrayView text);
    // The oldest entry, removed; an empty line when the queue is empty.
    QByteArray take();

    bool isEmpty() const { return m_entries.empty(); }
    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    // Bytes of the entries still waiting (what a reader bounds its memory by).
    qsizetype bytes() const { return m_waitingBytes; }
    // Forgets every waiting entry (the arena keeps its capacity).
    void clear();

private:
    struct Entry {
        qsizetype position; // in the stream of all bytes ever pushed
        qsizetype length;
    };
    void compact();

    std::deque<Entry> m_entries;
    QByteArray m_arena;
    qsizetype m_arenaBase = 0; // stream position of m_arena[0]
    qsizetype m_waitingBytes = 0;
};

} // namespace protocol
