#include "soak/tablewatch.h"

#include <QRegularExpression>

#include <algorithm>

namespace soak {

TableWatch::TableWatch(int secondMs) : m_secondMs(secondMs)
{
    m_clock.start();
}

bool TableWatch::counts(const SoakBot* bot)
{
    if (!m_counter)
        m_counter = bot;
    return m_counter == bot;
}

void TableWatch::heard(const SoakBot* bot, Heard what)
{
    const bool counted = counts(bot);
    const qint64 now = m_clock.elapsed();
    switch (what) {
    case Heard::GameStarted:
        m_started = true;
        m_lastTurnChange = now;
        m_counts.games += counted ? 1 : 0;
        return;
    case Heard::Winner:
        // Every bot hears the winner; the game's end is when the first of them did.
        if (m_started)
            m_lastEnd = now;
        m_started = false;
        m_counts.wins += counted ? 1 : 0;
        return;
    case Heard::PickCategory:
        m_lastTurnChange = now;
        return;
    case Heard::NextPlayer:
        m_lastTurnChange = now;
        m_counts.turns += counted ? 1 : 0;
        return;
    case Heard::Solved:
        m_counts.solved += counted ? 1 : 0;
        return;
    case Heard::Revealed:
        m_counts.revealed += counted ? 1 : 0;
        return;
    }
}

void TableWatch::forget(const SoakBot* bot)
{
    if (m_counter == bot)
        m_counter = nullptr;
}

void TableWatch::departureAnnounced(const SoakBot* bot, int slot)
{
    if (!counts(bot))
        return;
    ++m_counts.departuresAnnounced;
    m_departedSlots.append(slot);
}

void TableWatch::chatArrived(qint64 sentAtMs)
{
    ++m_counts.chatsHeard;
    m_counts.slowestChatMs = std::max(m_counts.slowestChatMs, m_clock.elapsed() - sentAtMs);
}

void TableWatch::readHostLog(const QString& log)
{
    static const QRegularExpression draws(
        QStringLiteral("slot (\\d+) draws \"(.*)\" \\(category \\d+\\)$"),
        QRegularExpression::MultilineOption);
    // Only whole lines: a line still being written is read next time.
    const qsizetype end = log.lastIndexOf(QLatin1Char('\n')) + 1;
    if (end <= m_logRead)
        return;
    auto it = draws.globalMatch(log.mid(m_logRead, end - m_logRead));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        m_phraseDrawer = m.captured(1).toInt();
        m_phrase = m.captured(2).toLatin1();
    }
    m_logRead = end;
}

QByteArray TableWatch::phraseOf(int drawer) const
{
    return drawer == m_phraseDrawer ? m_phrase : QByteArray();
}

qint64 TableWatch::sinceTurnChangeMs() const
{
    return m_clock.elapsed() - m_lastTurnChange;
}

qint64 TableWatch::sinceGameEndedMs() const
{
    return m_clock.elapsed() - m_lastEnd;
}

} // namespace soak
