#pragma once

#include "host/limits.h"

#include <algorithm>

namespace host {

// How many lines of a connection may still be handled now: a token bucket that holds
// kLineBurst lines and refills at kLinesPerSecond. Time comes in as milliseconds of any
// steady clock.
class LineBudget {
public:
    void reset(qint64 nowMs)
    {
        m_milliLines = kFull;
        m_lastMs = nowMs;
    }

    // Whether a line may be handled now (the budget refills first).
    bool hasLine(qint64 nowMs)
    {
        const qint64 elapsed = std::max<qint64>(0, nowMs - m_lastMs);
        m_lastMs = std::max(m_lastMs, nowMs);
        // Refill in thousandths of a line per millisecond, so no fraction is lost.
        m_milliLines = std::min(kFull, m_milliLines + std::min(elapsed, kFullAfterMs) *
                                                          limits::kLinesPerSecond);
        return m_milliLines >= kLine;
    }
    // Takes the line hasLine() allowed.
    void spend() { m_milliLines = std::max<qint64>(0, m_milliLines - kLine); }

private:
    static constexpr qint64 kLine = 1000;
    static constexpr qint64 kFull = limits::kLineBurst * kLine;
    static constexpr qint64 kFullAfterMs = kFull / limits::kLinesPerSecond;

    qint64 m_milliLines = kFull;
    qint64 m_lastMs = 0;
};

} // namespace host
