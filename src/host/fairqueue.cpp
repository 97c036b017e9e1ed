#include "host/fairqueue.h"

namespace host {

void FairQueue::push(int slot, QByteArrayView text)
{
    if (!valid(slot))
        return;
    m_queues[static_cast<size_t>(slot)].push(text);
    ++m_waiting;
}

FairQueue::Line FairQueue::take()
{
    if (m_waiting == 0)
        return {};
    for (int step = 1; step <= kSlots; ++step) {
        const int slot = (m_lastServed + step - 1) % kSlots + 1;
        protocol::ReceiveQueue& q = m_queues[static_cast<size_t>(slot)];
        if (!q.isEmpty()) {
            m_lastServed = slot;
            --m_waiting;
            return {slot, q.take()};
        }
    }
    return {};
}

qsizetype FairQueue::countFrom(int slot) const
{
    return valid(slot) ? m_queues[static_cast<size_t>(slot)].size() : 0;
}

void FairQueue::discardFrom(int slot)
{
    if (!valid(slot))
        return;
    protocol::ReceiveQueue& q = m_queues[static_cast<size_t>(slot)];
    m_waiting -= q.size();
    q = protocol::ReceiveQueue();
}

} // namespace host
