#pragma once

#include <QtGlobal>

#include <algorithm>

namespace net {

// How many lines a connection may have handled, or may send, now: a token bucket that holds
// `Burst` lines and refills at `PerSecond` (as IRC servers meter a client with their penalty
// clock). The host meters every connection with one; the drawer's window paces its lines
// with one a little under the host's. Time comes in as milliseconds of any steady clock; the
// bucket starts full.
template <qint64 Burst, qint64 PerSecond> class LineBucket {
public:
    static constexpr qint64 kBurst = Burst;
    static constexpr qint64 kLinesPerSecond = PerSecond;

    // Starts full again at `nowMs`.
    void reset(qint64 nowMs)
    {
        m_milliLines = kFull;
        m_lastMs = nowMs;
    }
    // Whether a line may go now (the bucket refills first).
    bool hasLine(qint64 nowMs)
    {
        m_milliLines = refilled(nowMs);
        m_lastMs = std::max(m_lastMs, nowMs);
        return m_milliLines >= kLine;
    }
    // Takes the line hasLine() allowed.
    void spend() { m_milliLines = std::max<qint64>(0, m_milliLines - kLine); }
    // Milliseconds from `nowMs` until hasLine() holds; 0 when it holds now.
    qint64 msUntilNext(qint64 nowMs) const
    {
        const qint64 missing = kLine - refilled(nowMs);
        return missing <= 0 ? 0 : (missing + kLinesPerSecond - 1) / kLinesPerSecond;
    }

private:
    static constexpr qint64 kLine = 1000;
    static constexpr qint64 kFull = kBurst * kLine;
    // Long enough to refill from empty; a longer wait adds nothing (and cannot overflow).
    static constexpr qint64 kFullAfterMs = (kFull + kLinesPerSecond - 1) / kLinesPerSecond;

    // Refilled in thousandths of a line per millisecond, so no fraction is lost.
    qint64 refilled(qint64 nowMs) const
    {
        const qint64 elapsed = std::max<qint64>(0, nowMs - m_lastMs);
        return std::min(kFull, m_milliLines + std::min(elapsed, kFullAfterMs) * kLinesPerSecond);
    }

    qint64 m_milliLines = kFull;
    qint64 m_lastMs = 0;
};

} // namespace net
