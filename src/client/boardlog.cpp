#include "client/boardlog.h"

#include <algorithm>

namespace client {

void BoardLog::clear()
{
    m_events.clear();
    m_points = 0;
    m_full = false;
}

bool BoardLog::room(qsizetype points)
{
    if (m_full || m_points + points > kMaxPoints) {
        m_full = true;
        return false;
    }
    m_points += points;
    return true;
}

void BoardLog::penDown(protocol::ColourValue colour, int width, QPoint at)
{
    if (room(1))
        m_events.push_back({Event::Kind::PenDown, colour, width, {at}});
}

void BoardLog::strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points)
{
    if (points.isEmpty() || !room(points.size()))
        return;
    // A stroke's batches join into one line while its pen stays the same.
    if (!m_events.empty()) {
        Event& last = m_events.back();
        if (last.kind == Event::Kind::Line && last.colour == colour && last.width == width) {
            last.points += points;
            return;
        }
    }
    m_events.push_back({Event::Kind::Line, colour, width, points});
}

void BoardLog::wipe()
{
    if (room(1))
        m_events.push_back({Event::Kind::Wipe, protocol::kWhite, 0, {}});
}

TimeLapse::TimeLapse(const BoardLog& log, int steps) : m_log(log)
{
    const qsizetype points = std::max<qsizetype>(1, log.points());
    const qsizetype wanted = std::max(1, steps);
    m_pointsPerStep = std::max<qsizetype>(1, (points + wanted - 1) / wanted);
    m_steps = static_cast<int>((points + m_pointsPerStep - 1) / m_pointsPerStep);
}

} // namespace client
