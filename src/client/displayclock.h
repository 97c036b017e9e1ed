#pragma once

#include <QString>

namespace client {

// The turn clock every player window shows. It only displays: the host keeps the real
// time. One tick() per second while running().
//
// The bar under the clock is 100 pixels at most. In a pause it shows ten pixels per second
// left; in a drawing turn it shrinks by at most two pixels a second until it meets the
// seconds left, and then follows them.
class DisplayClock {
public:
    enum class Mode { Pause = 0, Drawing = 1 };

    // The seconds come from the host; they are kept to 0..kMaxSeconds.
    void start(int seconds, Mode mode);
    static constexpr int kMaxSeconds = 24 * 60 * 60;
    void stop() { m_running = false; }
    // The host's report of its clock (CMD_updatetime): the clock takes the seconds it means
    // and, stopped, starts again in its mode when there is time left.
    void followHost(int reported);
    bool running() const { return m_running; }
    void tick();

    int secondsLeft() const { return m_seconds; }
    Mode mode() const { return m_mode; }
    int barWidth() const { return m_barWidth; }
    const QString& text() const { return m_text; }

    // "2:05", "10:00", "0:07".
    static QString minutesAndSeconds(int seconds);

private:
    int m_seconds = 0;
    Mode m_mode = Mode::Pause;
    int m_barWidth = 100;
    bool m_running = false;
    QString m_text = QStringLiteral("0:00");
};

} // namespace client
