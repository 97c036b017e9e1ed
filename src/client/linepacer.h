#pragma once

#include <QtGlobal>

#include <algorithm>

namespace client {

// How many lines the drawer's window may send now: a token bucket a little under the one
// the host meters every connection with. The host handles 50 lines a second with a burst
// of 200 on top, and stops reading a connection with 100 lines waiting; a window that
// keeps under that never has its lines held at the host, so what it sends is relayed at
// once. The margin (5 lines a second and 50 of the burst) is for the drawer's other lines
// on the same connection, chat and the like, and for the two clocks not agreeing exactly.
// Time comes in as milliseconds of any steady clock; the bucket starts full.
class LinePacer {
public:
    static constexpr qint64 kLinesPerSecond = 45;
    static constexpr qint64 kBurst = 150;

    // Whether a line may be sent now (the bucket refills first).
    bool mayTake(qint64 nowMs)
    {
        refill(nowMs);
        return m_milliLines >= kLine;
    }
    // Takes the line mayTake() allowed.
    void take() { m_milliLines = std::max<qint64>(0, m_milliLines - kLine); }
    // Milliseconds from `nowMs` until mayTake() holds; 0 when it holds now.
    qint64 msUntilNext(qint64 nowMs) const
    {
        const qint64 missing = kLine - refilled(nowMs);
        if (missing <= 0)
            return 0;
        return (missing + kLinesPerSecond - 1) / kLinesPerSecond;
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
    void refill(qint64 nowMs)
    {
        m_milliLines = refilled(nowMs);
        m_lastMs = std::max(m_lastMs, nowMs);
    }

    qint64 m_milliLines = kFull;
    qint64 m_lastMs = 0;
};

} // namespace client
