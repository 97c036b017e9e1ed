#pragma once

#include <QByteArray>

#include <array>
#include <vector>

namespace host {

// Every stroke message of the current turn, as received, in order: a newcomer is sent the
// whole record so its board shows the drawing so far. The record remembers who sent each
// line, so that the one who fills it can be told apart from the one who meets the limit.
class DrawingRecord {
public:
    struct Line {
        int slot;
        QByteArray text; // name, "+", fields; no terminator
    };

    void append(int slot, QByteArray text);
    void clear();
    // Forgets the lines of one sender (dropped for flooding the record).
    void removeFrom(int slot);

    const std::vector<Line>& lines() const { return m_lines; }
    qsizetype bytes() const { return m_bytes; }
    // The sender with the largest share, counting `extra` bytes for `slot` as well.
    int largestShare(int slot, qsizetype extra) const;

private:
    static constexpr size_t kSlots = 16;
    static size_t index(int slot) { return slot >= 1 && slot < int(kSlots) ? size_t(slot) : 0; }

    std::vector<Line> m_lines;
    qsizetype m_bytes = 0;
    std::array<qsizetype, kSlots> m_bytesBySlot{};
};

} // namespace host
