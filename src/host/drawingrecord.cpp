#include "host/drawingrecord.h"

#include <algorithm>

namespace host {

void DrawingRecord::append(int slot, QByteArray text)
{
    m_bytes += text.size();
    m_bytesBySlot[index(slot)] += text.size();
    m_lines.push_back({slot, std::move(text)});
}

void DrawingRecord::clear()
{
    m_lines.clear();
    m_bytes = 0;
    m_bytesBySlot.fill(0);
}

void DrawingRecord::removeFrom(int slot)
{
    std::erase_if(m_lines, [slot](const Line& l) { return l.slot == slot; });
    m_bytes -= m_bytesBySlot[index(slot)];
    m_bytesBySlot[index(slot)] = 0;
}

int DrawingRecord::largestShare(int slot, qsizetype extra) const
{
    int largest = slot;
    qsizetype most = m_bytesBySlot[index(slot)] + extra;
    for (size_t s = 1; s < kSlots; ++s) {
        if (m_bytesBySlot[s] > most) {
            most = m_bytesBySlot[s];
            largest = static_cast<int>(s);
        }
    }
    return largest;
}

} // namespace host
