#include "protocol/receivequeue.h"

#include "protocol/message.h"

#include <algorithm>

namespace protocol {

void ReceiveQueue::push(QByteArray text, int origin)
{
    m_lines.push_back({std::move(text), origin});
    ++m_perOrigin[origin];
}

QueuedLine ReceiveQueue::take()
{
    if (m_lines.empty())
        return {};
    QueuedLine line = std::move(m_lines.front());
    m_lines.pop_front();
    if (--m_perOrigin[line.origin] == 0)
        m_perOrigin.remove(line.origin);
    if (line.text.size() > kMaxEntryLength)
        line.text.truncate(kMaxEntryLength);
    return line;
}

void ReceiveQueue::discardFrom(int origin)
{
    if (!m_perOrigin.contains(origin))
        return;
    std::erase_if(m_lines, [origin](const QueuedLine& l) { return l.origin == origin; });
    m_perOrigin.remove(origin);
}

void ReceiveQueue::clear()
{
    m_lines.clear();
    m_perOrigin.clear();
}

} // namespace protocol
