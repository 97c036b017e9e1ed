// What an idle quillon-host costs: five players connected and logged in, no game, for a
// while. Prints the host's CPU time (utime + stime from /proc/PID/stat, and the more precise
// on-CPU time from the process's CPU-time clock) and the share of one core, beside two
// processes that do nothing but run a 1 ms and a 10 ms timer, measured over the same time.
// Exits non-zero when a figure cannot be read or a connection drops.
//
//   bench_host_idle [seconds]     (default 30)
//   bench_host_idle --ticker MS   (a comparison process: a timer of MS, until signalled)

#include "support/cpuclock.h"
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

} // namespace

int main(int argc, char** argv)
{
    if (const int interval = support::tickerInterval(argc, argv))
        return support::runTicker(argc, argv, interval);

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

    support::ComparisonTickers tickers;
    if (!tickers.start()) {
        std::fprintf(stderr, "bench_host_idle: the timer processes did not start\n");
        return 1;
    }

    // Let the logins' traffic settle before measuring.
    support::spinFor(1000);
    QElapsedTimer wall;
    const support::CpuSample hostFrom = support::cpuSample(host.pid());
    tickers.sampleFrom();
    wall.start();
    support::spinFor(seconds * 1000);
    const support::CpuSample hostTo = support::cpuSample(host.pid());
    tickers.sampleTo();
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;

    bool connected = true;
    for (const auto& bot : bots)
        connected = connected && bot->isConnected();
    bots.clear();
    const std::optional<int> exitCode = host.stop();

    std::printf("bench_host_idle: %d players logged in, no game, %.1f s\n", kPlayers, wallSeconds);
    support::reportFigure("host_idle_pct",
                          support::reportCpu("quillon-host:", hostFrom, hostTo, wallSeconds));
    tickers.report(wallSeconds);

    bool ok = true;
    if (!hostFrom.readable() || !hostTo.readable() || !tickers.readable()) {
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
