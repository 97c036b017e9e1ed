#include "client/displayclock.h"

#include <algorithm>

namespace client {

void DisplayClock::start(int seconds, Mode mode)
{
    m_seconds = std::clamp(seconds, 0, kMaxSeconds);
    m_mode = mode;
    m_running = true;
}

void DisplayClock::followHost(int reported)
{
    // The host reports its clock less two. A drawing turn lasts the seconds per turn and
    // five more ticks on the host, which a window counts from the seconds per turn, so the
    // window shows four seconds less than the host's clock in a drawing turn and the same in
    // a pause. Reading the report that way, a window that has counted along all the time
    // sees no change; a newcomer or a window that was stopped comes back in step.
    const qint64 left = qint64{reported} + (m_mode == Mode::Drawing ? -2 : 2);
    if (left <= 0 && !m_running)
        return; // the phase's last report: nothing left to show
    start(static_cast<int>(std::clamp<qint64>(left, 0, kMaxSeconds)), m_mode);
    m_text = minutesAndSeconds(m_seconds);
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
