#include "host/drawingrecord.h"

#include <algorithm>

namespace host {

qsizetype& DrawingRecord::shareOf(Owner owner)
{
    for (auto& [o, bytes] : m_shares) {
        if (o == owner)
            return bytes;
    }
    return m_shares.emplace_back(owner, 0).second;
}

void DrawingRecord::append(Owner owner, QByteArray text)
{
    m_bytes += text.size();
    shareOf(owner) += text.size();
    m_lines.push_back({owner, std::move(text)});
}

void DrawingRecord::clear()
{
    m_lines.clear();
    m_bytes = 0;
    m_shares.clear();
}

void DrawingRecord::removeFrom(Owner owner)
{
    std::erase_if(m_lines, [owner](const Line& l) { return l.owner == owner; });
    std::erase_if(m_shares, [&](const auto& share) {
        if (share.first != owner)
            return false;
        m_bytes -= share.second;
        return true;
    });
}

DrawingRecord::Owner DrawingRecord::largestShare(Owner owner, qsizetype extra) const
{
    Owner largest = owner;
    qsizetype most = extra;
    for (const auto& [o, bytes] : m_shares) {
        if (o == owner)
            most += bytes;
    }
    for (const auto& [o, bytes] : m_shares) {
        if (o != owner && bytes > most) {
            most = bytes;
            largest = o;
        }
    }
    return largest;
}

} // namespace host
