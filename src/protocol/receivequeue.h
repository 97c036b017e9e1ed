#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>
#include <utility>
#include <vector>

namespace protocol {

// One queued message and the connection that delivered it (0 when there is only one).
struct QueuedLine {
    QByteArray text;
    int origin = 0;
};

// First-in first-out list of received messages, drained one entry per timer tick.
// An entry is handed out cut to its first kMaxEntryLength characters.
//
// Messages are appended to one growing byte arena instead of one allocation each: framing
// a read into the queue then costs little more than finding the terminators. The arena's
// consumed front is released once it is larger than what still waits.
class ReceiveQueue {
public:
    void push(QByteArrayView text, int origin = 0);
    // The oldest entry, removed; an empty line when the queue is empty.
    QueuedLine take();

    bool isEmpty() const { return m_entries.empty(); }
    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    // Entries still waiting from one connection (flood control).
    qsizetype countFrom(int origin) const;
    // Forgets every waiting entry of a connection that has gone away.
    void discardFrom(int origin);
    void clear();

private:
    struct Entry {
        qsizetype position; // in the stream of all bytes ever pushed
        qsizetype length;
        int origin;
    };
    qsizetype& counter(int origin);
    void compact();

    std::deque<Entry> m_entries;
    QByteArray m_arena;
    qsizetype m_arenaBase = 0; // stream position of m_arena[0]
    // Waiting entries per origin; a handful of connections, so a short list beats a hash.
    // Origins are the host's slots, so the list stays short.
    std::vector<std::pair<int, qsizetype>> m_perOrigin;
    size_t m_last = 0;
};

} // namespace protocol
