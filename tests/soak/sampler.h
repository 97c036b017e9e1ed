#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace soak {

// What the host and the window cost at one moment of the evening.
struct Sample {
    double atSeconds = 0;
    qint64 hostRssKb = -1;
    double hostCpuSeconds = -1;
    qint64 windowRssKb = -1;
    double windowCpuSeconds = -1;
};

// The memory a long-running process may gain after its warm-up, for a resident size of
// `baselineKb` at the end of the warm-up: 8 MiB or a tenth of the baseline, whichever is
// more. Measured over half an hour (237 turns, 47 games, 456 arrivals and departures,
// 2,755 chat lines): the host grew by 64 KiB from its 18.6 MiB, the window by 1.8 MiB from
// its 51.9 MiB while its transcript filled up to its 2,000 lines (in the first fifteen
// minutes), and not at all after that; one minute grows them by 0.1 and 1 MiB. The bound
// leaves the window four times its honest growth; what it catches in half an hour is a leak
// of about 18 KiB per connection that came and went, 35 KiB per turn or 3 KiB per chat
// line (a board picture kept per turn, a connection's buffers kept after it closed).
qint64 allowedGrowthKb(qint64 baselineKb);

// Samples the host and the window from /proc (VmRSS, utime + stime) and checks the
// growth against the bound, taking the first sample as the end of the warm-up.
class Sampler {
public:
    Sampler(qint64 hostPid, qint64 windowPid) : m_hostPid(hostPid), m_windowPid(windowPid) {}

    Sample take(double atSeconds);
    const QList<Sample>& samples() const { return m_samples; }
    // Nothing while both stay within the bound; otherwise what grew and by how much.
    std::optional<QString> growthFault() const;
    // "host 12.1 MiB, 0.42 s CPU | window 80.3 MiB, 3.10 s CPU"
    static QString describe(const Sample& sample);

private:
    qint64 m_hostPid;
    qint64 m_windowPid;
    QList<Sample> m_samples;
};

} // namespace soak
