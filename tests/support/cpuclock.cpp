#include "support/cpuclock.h"

#include "support/hostprocess.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
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

} // namespace support
