#include "host/fairqueue.h"

namespace host {

void FairQueue::push(int slot, QByteArrayView text)
{
    if (!valid(slot))
        return;
    PerConnection& q = m_queues[static_cast<size_t>(slot)];
    q.lines.push(text);
    q.arrivals.push_back(++m_arrivals);
    ++m_waiting;
}

QByteArray FairQueue::take(int slot)
{
    PerConnection& q = m_queues[static_cast<size_t>(slot)];
    q.arrivals.pop_front();
    --m_waiting;
    return q.lines.take();
}

qsizetype FairQueue::countFrom(int slot) const
{
    return valid(slot) ? m_queues[static_cast<size_t>(slot)].lines.size() : 0;
}

qsizetype FairQueue::bytesFrom(int slot) const
{
    return valid(slot) ? m_queues[static_cast<size_t>(slot)].lines.bytes() : 0;
}

void FairQueue::discardFrom(int slot)
{
    if (!valid(slot))
        return;
    PerConnection& q = m_queues[static_cast<size_t>(slot)];
    m_waiting -= q.lines.size();
    q = PerConnection();
}

} // namespace host
