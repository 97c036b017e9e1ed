#pragma once

#include "protocol/colour.h"

#include <QList>
#include <QPoint>

#include <algorithm>
#include <vector>

namespace client {

// What a board was told during one turn, in order: pen-downs, lines and wipes, as the
// window received or drew them. A replay paints them again; a time-lapse paints them in
// steps. Bounded: past kMaxPoints points the log keeps nothing more
// (a replay then ends where the log does, and the album still has the finished picture).
class BoardLog {
public:
    static constexpr qsizetype kMaxPoints = 250'000;

    struct Event {
        enum class Kind : quint8 { PenDown, Line, Wipe };
        Kind kind = Kind::Wipe;
        protocol::ColourValue colour = protocol::kBlack;
        int width = 0;
        QList<QPoint> points;
    };

    void clear();
    void penDown(protocol::ColourValue colour, int width, QPoint at);
    void strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points);
    void wipe();

    const std::vector<Event>& events() const { return m_events; }
    // Points in the log; a wipe counts as one.
    qsizetype points() const { return m_points; }
    qsizetype bytes() const
    {
        return m_points * qsizetype(sizeof(QPoint)) + qsizetype(m_events.size() * sizeof(Event));
    }

private:
    bool room(qsizetype points);

    std::vector<Event> m_events;
    qsizetype m_points = 0;
    bool m_full = false;
};

// Paints a log in steps of about the same number of points: `steps` steps in all (fewer
// for a short log). Works on anything with the board's painting calls (the board on the
// screen, or a BoardPicture away from it).
class TimeLapse {
public:
    TimeLapse(const BoardLog& log, int steps);

    int steps() const { return m_steps; }
    int done() const { return m_done; }
    bool finished() const { return m_event >= m_log.events().size(); }

    // Paints the next step; false once everything was painted.
    template <class Board> bool paintNext(Board& board);

private:
    const BoardLog& m_log;
    qsizetype m_pointsPerStep = 1;
    int m_steps = 0;
    int m_done = 0;
    size_t m_event = 0;
    qsizetype m_point = 0; // within a Line event
};

template <class Board> bool TimeLapse::paintNext(Board& board)
{
    if (finished())
        return false;
    qsizetype budget = m_pointsPerStep;
    const auto& events = m_log.events();
    while (budget > 0 && m_event < events.size()) {
        const BoardLog::Event& e = events[m_event];
        switch (e.kind) {
        case BoardLog::Event::Kind::Wipe:
            board.wipe();
            --budget;
            ++m_event;
            break;
        case BoardLog::Event::Kind::PenDown:
            board.penDown(e.colour, e.width, e.points.front());
            --budget;
            ++m_event;
            break;
        case BoardLog::Event::Kind::Line: {
            const qsizetype n = std::min(budget, e.points.size() - m_point);
            board.strokeTo(e.colour, e.width, e.points.mid(m_point, n));
            budget -= n;
            m_point += n;
            if (m_point >= e.points.size()) {
                m_point = 0;
                ++m_event;
            }
            break;
        }
        }
    }
    ++m_done;
    return true;
}

} // namespace client
