#include "soak/sampler.h"

#include "support/hostprocess.h"

#include <algorithm>

namespace soak {

namespace {

constexpr qint64 kFloorKb = 8 * 1024;
constexpr qint64 kShareDivisor = 10;

QString mib(qint64 kb)
{
    return QString::number(static_cast<double>(kb) / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

std::optional<QString> grewTooMuch(const char* who, qint64 baselineKb, qint64 nowKb)
{
    if (baselineKb <= 0 || nowKb <= 0)
        return QStringLiteral("%1: resident memory could not be read").arg(QLatin1String(who));
    const qint64 growth = nowKb - baselineKb;
    if (growth <= allowedGrowthKb(baselineKb))
        return std::nullopt;
    return QStringLiteral("%1 grew from %2 after the warm-up to %3 (+%4; at most +%5 allowed)")
        .arg(QLatin1String(who), mib(baselineKb), mib(nowKb), mib(growth),
             mib(allowedGrowthKb(baselineKb)));
}

} // namespace

qint64 allowedGrowthKb(qint64 baselineKb)
{
    return std::max(kFloorKb, baselineKb / kShareDivisor);
}

Sample Sampler::take(double atSeconds)
{
    Sample s;
    s.atSeconds = atSeconds;
    s.hostRssKb = support::memoryKbOf(m_hostPid, "VmRSS");
    s.hostCpuSeconds = support::cpuSecondsOf(m_hostPid);
    s.windowRssKb = support::memoryKbOf(m_windowPid, "VmRSS");
    s.windowCpuSeconds = support::cpuSecondsOf(m_windowPid);
    m_samples.append(s);
    return s;
}

std::optional<QString> Sampler::growthFault() const
{
    if (m_samples.size() < 2)
        return std::nullopt;
    const Sample& warm = m_samples.front();
    const Sample& now = m_samples.back();
    if (auto fault = grewTooMuch("the host", warm.hostRssKb, now.hostRssKb))
        return fault;
    return grewTooMuch("the window", warm.windowRssKb, now.windowRssKb);
}

QString Sampler::describe(const Sample& s)
{
    return QStringLiteral("host %1, %2 s CPU | window %3, %4 s CPU")
        .arg(mib(s.hostRssKb))
        .arg(s.hostCpuSeconds, 0, 'f', 2)
        .arg(mib(s.windowRssKb))
        .arg(s.windowCpuSeconds, 0, 'f', 2);
}

} // namespace soak
