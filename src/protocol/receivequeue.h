#pragma once

#include <QByteArray>
#include <QHash>

#include <deque>

namespace protocol {

// One queued message and the connection that delivered it (0 when there is only one).
struct QueuedLine {
    QByteArray text;
    int origin = 0;
};

// First-in first-out list of received messages, drained one entry per timer tick.
// An entry is handed out cut to its first kMaxEntryLength characters.
class ReceiveQueue {
public:
    void push(QByteArray text, int origin = 0);
    // The oldest entry, removed; an empty line when the queue is empty.
    QueuedLine take();

    bool isEmpty() const { return m_lines.empty(); }
    qsizetype size() const { return static_cast<qsizetype>(m_lines.size()); }
    // Entries still waiting from one connection (flood control).
    qsizetype countFrom(int origin) const { return m_perOrigin.value(origin); }
    // Forgets every waiting entry of a connection that has gone away.
    void discardFrom(int origin);
    void clear();

private:
    std::deque<QueuedLine> m_lines;
    QHash<int, qsizetype> m_perOrigin;
};

} // namespace protocol
