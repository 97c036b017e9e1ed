#include "protocol/receivequeue.h"

#include "protocol/message.h"

#include <algorithm>
#include <cstring>

namespace protocol {

namespace {
// Below this the consumed front of the arena is not worth moving.
constexpr qsizetype kCompactThreshold = 64 * 1024;
} // namespace

void ReceiveQueue::push(QByteArrayView text)
{
    const qsizetype at = m_arena.size();
    m_entries.push_back({m_arenaBase + at, text.size()});
    m_arena.resize(at + text.size()); // grows geometrically; new bytes are not cleared
    std::memcpy(m_arena.data() + at, text.data(), static_cast<size_t>(text.size()));
    m_waitingBytes += text.size();
}

QByteArray ReceiveQueue::take()
{
    if (m_entries.empty())
        return {};
    const Entry e = m_entries.front();
    m_entries.pop_front();
    m_waitingBytes -= e.length;
    QByteArray line(m_arena.constData() + (e.position - m_arenaBase),
                    std::min(e.length, kMaxEntryLength));
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

void ReceiveQueue::clear()
{
    m_entries.clear();
    m_arenaBase += m_arena.size();
    m_arena.resize(0);
    m_waitingBytes = 0;
}

} // namespace protocol
