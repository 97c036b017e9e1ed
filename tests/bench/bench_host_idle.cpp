// What an idle quillon-host costs: five players connected and logged in, no game, for a
// while. Prints the host's CPU time (utime + stime from /proc/PID/stat, and the more precise
// on-CPU time of all its threads from /proc/PID/task/*/schedstat) and the share of one core,
// beside a process that does nothing but run a 10 ms timer, measured over the same time.
// Exits non-zero when a figure cannot be read or a connection drops.
//
//   bench_host_idle [seconds]     (default 30)
//   bench_host_idle --ticker      (the comparison process: a 10 ms timer, until signalled)

#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/testbot.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kPlayers = 5;

// Nanoseconds every thread of the process has spent on a CPU, or -1.
qint64 onCpuNs(qint64 pid)
{
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList ids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (ids.isEmpty())
        return -1;
    qint64 total = 0;
    for (const QString& id : ids) {
        QFile schedstat(tasks.filePath(id + QStringLiteral("/schedstat")));
        if (!schedstat.open(QIODevice::ReadOnly))
            return -1;
        bool ok = false;
        total += schedstat.readAll().split(' ').value(0).toLongLong(&ok);
        if (!ok)
            return -1;
    }
    return total;
}

struct Sample {
    double statSeconds;
    qint64 cpuNs;
};

Sample sample(qint64 pid)
{
    return {support::cpuSecondsOf(pid), onCpuNs(pid)};
}

bool readable(const Sample& s)
{
    return s.statSeconds >= 0 && s.cpuNs >= 0;
}

void report(const char* what, const Sample& from, const Sample& to, double wallSeconds)
{
    const double stat = to.statSeconds - from.statSeconds;
    const double precise = static_cast<double>(to.cpuNs - from.cpuNs) / 1e9;
    std::printf("  %-28s utime+stime %.2f s, on-CPU %.4f s = %.4f %% of one core\n", what, stat,
                precise, 100.0 * precise / wallSeconds);
}

int runTicker(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    quint64 ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    std::fprintf(stderr, "ticker: running\n");
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--ticker") == 0)
        return runTicker(argc, argv);

    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    if (seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "usage: bench_host_idle [seconds 1-3600]\n");
        return 2;
    }

    support::HostProcess host(QStringLiteral(QUILLON_HOST_BINARY));
    if (!host.start()) {
        std::fprintf(stderr, "bench_host_idle: the host did not start:\n%s\n",
                     qUtf8Printable(host.log()));
        return 1;
    }
    std::vector<std::unique_ptr<support::TestBot>> bots;
    for (int i = 1; i <= kPlayers; ++i) {
        auto bot = std::make_unique<support::TestBot>();
        if (!bot->connectTo(host.port()) || !bot->login("Idle" + QByteArray::number(i))) {
            std::fprintf(stderr, "bench_host_idle: player %d could not log in\n", i);
            return 1;
        }
        bots.push_back(std::move(bot));
    }

    support::HostProcess ticker(QCoreApplication::applicationFilePath());
    if (!ticker.startPlain({QStringLiteral("--ticker")}) ||
        !ticker.waitForLog(QStringLiteral("ticker: running"))) {
        std::fprintf(stderr, "bench_host_idle: the timer process did not start\n");
        return 1;
    }

    // Let the logins' traffic settle before measuring.
    support::spinFor(1000);
    QElapsedTimer wall;
    const Sample hostFrom = sample(host.pid());
    const Sample tickerFrom = sample(ticker.pid());
    wall.start();
    support::spinFor(seconds * 1000);
    const Sample hostTo = sample(host.pid());
    const Sample tickerTo = sample(ticker.pid());
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;

    bool connected = true;
    for (const auto& bot : bots)
        connected = connected && bot->isConnected();
    ticker.stop();
    bots.clear();
    const std::optional<int> exitCode = host.stop();

    std::printf("bench_host_idle: %d players logged in, no game, %.1f s\n", kPlayers, wallSeconds);
    report("quillon-host:", hostFrom, hostTo, wallSeconds);
    report("a 10 ms timer (comparison):", tickerFrom, tickerTo, wallSeconds);

    bool ok = true;
    if (!readable(hostFrom) || !readable(hostTo) || !readable(tickerFrom) || !readable(tickerTo)) {
        std::fprintf(stderr, "bench_host_idle: /proc figures could not be read\n");
        ok = false;
    }
    if (!connected) {
        std::fprintf(stderr, "bench_host_idle: a connection dropped\n");
        ok = false;
    }
    if (exitCode != 0) {
        std::fprintf(stderr, "bench_host_idle: the host did not end cleanly\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
