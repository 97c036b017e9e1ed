#include "support/cpuclock.h"

#include "support/hostprocess.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace support {

CpuSample cpuSample(qint64 pid)
{
    clockid_t clock{};
    timespec now{};
    qint64 ns = -1;
    if (::clock_getcpuclockid(static_cast<pid_t>(pid), &clock) == 0 &&
        ::clock_gettime(clock, &now) == 0)
        ns = static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return {cpuSecondsOf(pid), ns};
}

double reportCpu(const char* what, const CpuSample& from, const CpuSample& to, double wallSeconds)
{
    const double stat = to.statSeconds - from.statSeconds;
    const double precise = static_cast<double>(to.cpuNs - from.cpuNs) / 1e9;
    const double share = 100.0 * precise / wallSeconds;
    std::printf("  %-34s utime+stime %.2f s, on-CPU %.4f s = %.4f %% of one core\n", what, stat,
                precise, share);
    return share;
}

int runTicker(int argc, char** argv, int intervalMs)
{
    QCoreApplication app(argc, argv);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    quint64 ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    std::fprintf(stderr, "ticker: running\n");
    return QCoreApplication::exec();
}

int tickerInterval(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[1], "--ticker") != 0)
        return 0;
    const int ms = std::atoi(argv[2]);
    return ms >= 1 && ms <= 1000 ? ms : 0;
}

ComparisonTickers::ComparisonTickers() = default;
ComparisonTickers::~ComparisonTickers() = default;

bool ComparisonTickers::start()
{
    for (size_t i = 0; i < kIntervals.size(); ++i) {
        m_tickers[i] = std::make_unique<HostProcess>(QCoreApplication::applicationFilePath());
        if (!m_tickers[i]->startPlain(
                {QStringLiteral("--ticker"), QString::number(kIntervals[i])}) ||
            !m_tickers[i]->waitForLog(QStringLiteral("ticker: running")))
            return false;
    }
    return true;
}

void ComparisonTickers::sampleFrom()
{
    for (size_t i = 0; i < kIntervals.size(); ++i)
        m_from[i] = cpuSample(m_tickers[i] ? m_tickers[i]->pid() : 0);
}

void ComparisonTickers::sampleTo()
{
    for (size_t i = 0; i < kIntervals.size(); ++i)
        m_to[i] = cpuSample(m_tickers[i] ? m_tickers[i]->pid() : 0);
}

bool ComparisonTickers::readable() const
{
    for (size_t i = 0; i < kIntervals.size(); ++i) {
        if (!m_from[i].readable() || !m_to[i].readable())
            return false;
    }
    return true;
}

void ComparisonTickers::report(double wallSeconds) const
{
    for (size_t i = 0; i < kIntervals.size(); ++i) {
        const QByteArray what =
            "a " + QByteArray::number(kIntervals[i]) + " ms timer (comparison):";
        const double share = reportCpu(what.constData(), m_from[i], m_to[i], wallSeconds);
        const QByteArray name = "timer" + QByteArray::number(kIntervals[i]) + "_pct";
        reportFigure(name.constData(), share);
    }
}

void reportFigure(const char* name, double value)
{
    std::printf("figure %s %.4f\n", name, value);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

} // namespace support
