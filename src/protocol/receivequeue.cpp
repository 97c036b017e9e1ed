#include "protocol/receivequeue.h"

#include "protocol/message.h"

#include <algorithm>
#include <cstring>

namespace protocol {

namespace {
// Below this the consumed front of the arena is not worth moving.
constexpr qsizetype kCompactThreshold = 64 * 1024;
} // namespace

qsizetype& ReceiveQueue::counter(int origin)
{
    // Reads come in bursts from one connection: try the last one first.
    if (m_last < m_perOrigin.size() && m_perOrigin[m_last].first == origin)
        return m_perOrigin[m_last].second;
    for (size_t i = 0; i < m_perOrigin.size(); ++i) {
        if (m_perOrigin[i].first == origin) {
            m_last = i;
            return m_perOrigin[i].second;
        }
    }
    m_perOrigin.emplace_back(origin, 0);
    m_last = m_perOrigin.size() - 1;
    return m_perOrigin.back().second;
}

qsizetype ReceiveQueue::countFrom(int origin) const
{
    for (const auto& [o, n] : m_perOrigin) {
        if (o == origin)
            return n;
    }
    return 0;
}

void ReceiveQueue::push(QByteArrayView text, int origin)
{
    const qsizetype at = m_arena.size();
    m_entries.push_back({m_arenaBase + at, text.size(), origin});
    m_arena.resize(at + text.size()); // grows geometrically; new bytes are not cleared
    std::memcpy(m_arena.data() + at, text.data(), static_cast<size_t>(text.size()));
    ++counter(origin);
}

QueuedLine ReceiveQueue::take()
{
    if (m_entries.empty())
        return {};
    const Entry e = m_entries.front();
    m_entries.pop_front();
    --counter(e.origin);
    QueuedLine line{QByteArray(m_arena.constData() + (e.position - m_arenaBase),
                               std::min(e.length, kMaxEntryLength)),
                    e.origin};
    if (m_entries.empty()) {
        m_arenaBase += m_arena.size();
        m_arena.resize(0); // keeps the capacity for the next burst
    } else {
        compact();
    }
    return line;
}

void ReceiveQueue::compact()
{
    const qsizetype consumed = m_entries.front().position - m_arenaBase;
    if (consumed < kCompactThreshold || consumed < m_arena.size() / 2)
        return;
    m_arena.remove(0, consumed);
    m_arenaBase += consumed;
}

void ReceiveQueue::discardFrom(int origin)
{
    if (countFrom(origin) == 0)
        return;
    std::erase_if(m_entries, [origin](const Entry& e) { return e.origin == origin; });
    counter(origin) = 0;
    if (m_entries.empty()) {
        m_arenaBase += m_arena.size();
        m_arena.resize(0);
    }
}

void ReceiveQueue::clear()
{
    m_entries.clear();
    m_arenaBase += m_arena.size();
    m_arena.resize(0);
    m_perOrigin.clear();
    m_last = 0;
}

} // namespace protocol
