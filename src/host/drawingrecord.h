#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

namespace host {

// Every stroke message of the current turn that was relayed, in order: a newcomer is sent
// the whole record so its board shows what everybody else's shows. The record remembers
// which connection sent each line (a serial number, never a slot: a slot passes on to the
// next newcomer, a share must not), so that the one who fills it can be told apart from
// the one who meets the limit.
class DrawingRecord {
public:
    using Owner = quint64;

    struct Line {
        Owner owner;
        QByteArray text; // name, "+", fields; no terminator
    };

    void append(Owner owner, QByteArray text);
    void clear();
    // Forgets the lines of one connection (dropped for filling the record).
    void removeFrom(Owner owner);

    const std::vector<Line>& lines() const { return m_lines; }
    qsizetype bytes() const { return m_bytes; }
    // The connection with the largest share, counting `extra` more bytes for `owner`.
    Owner largestShare(Owner owner, qsizetype extra) const;

private:
    qsizetype& shareOf(Owner owner);

    std::vector<Line> m_lines;
    qsizetype m_bytes = 0;
    // Bytes per connection; only a few connections ever draw in one turn.
    std::vector<std::pair<Owner, qsizetype>> m_shares;
};

} // namespace host
