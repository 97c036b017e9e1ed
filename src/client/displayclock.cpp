#include "client/displayclock.h"

#include <algorithm>

namespace client {

void DisplayClock::start(int seconds, Mode mode)
{
    m_seconds = std::clamp(seconds, 0, kMaxSeconds);
    m_mode = mode;
    m_running = true;
}

QString DisplayClock::minutesAndSeconds(int seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') +
           QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}

void DisplayClock::tick()
{
    if (!m_running)
        return;
    --m_seconds;
    m_text = minutesAndSeconds(m_seconds);
    if (m_mode == Mode::Pause) {
        m_barWidth = m_seconds * 10;
    } else if (m_seconds > 100) {
        m_barWidth = 100;
    } else if (m_barWidth > m_seconds + 1) {
        m_barWidth -= 2;
    } else {
        m_barWidth = m_seconds;
    }
    if (m_seconds < 0) {
        m_text = QStringLiteral("0:00");
        m_running = false;
    }
}

} // namespace client
