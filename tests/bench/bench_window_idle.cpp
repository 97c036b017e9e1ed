// What an idle player window costs: a `quillon` copy started without arguments (a solo
// table: the window connected to the host inside the same process), offscreen, logged in
// and left alone. After a settle period, prints its CPU time over the measured seconds
// (utime + stime from /proc/PID/stat, and the precise on-CPU time from the process's
// CPU-time clock) and the share of one core, beside a process that runs a 1 ms timer over
// the same seconds. The target is below 0.1 % of one core; missing it is reported, not an
// error. Exits non-zero only when the measurement failed.
//
//   bench_window_idle [seconds]     (default 30)
//   bench_window_idle --ticker      (the comparison process: a 1 ms timer, until signalled)

#include "e2e/desktop.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/testbot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kSettleMs = 5000;
constexpr double kTargetShare = 0.1; // per cent of one core

// Nanoseconds the whole process has spent on a CPU, or -1. The process's CPU-time clock
// counts threads that have ended too (Qt's pool threads end after 30 idle seconds, so a
// sum over /proc/PID/task would lose their time).
qint64 onCpuNs(qint64 pid)
{
    clockid_t clock{};
    timespec now{};
    if (::clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 ||
        ::clock_gettime(clock, &now) != 0)
        return -1;
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
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

double report(const char* what, const Sample& from, const Sample& to, double wallSeconds)
{
    const double stat = to.statSeconds - from.statSeconds;
    const double precise = static_cast<double>(to.cpuNs - from.cpuNs) / 1e9;
    const double share = 100.0 * precise / wallSeconds;
    std::printf("  %-34s utime+stime %.2f s, on-CPU %.4f s = %.4f %% of one core\n", what, stat,
                precise, share);
    return share;
}

int runTicker(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1);
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
        std::fprintf(stderr, "usage: bench_window_idle [seconds 1-3600]\n");
        return 2;
    }
    if (!e2e::portIsFree(e2e::kGamePort)) {
        std::fprintf(stderr, "bench_window_idle: port %d is in use\n", e2e::kGamePort);
        return 1;
    }

    e2e::GameFolder home(QStringLiteral(QUILLON_BINARY));
    e2e::GameProcess window;
    if (!home.isReady() || !window.start(home, {}, nullptr) ||
        !window.waitForLog(QStringLiteral("slot 1: logged in as \"You\""))) {
        std::fprintf(stderr, "bench_window_idle: the window did not log in:\n%s\n",
                     qUtf8Printable(window.log()));
        return 1;
    }

    support::HostProcess ticker(QCoreApplication::applicationFilePath());
    if (!ticker.startPlain({QStringLiteral("--ticker")}) ||
        !ticker.waitForLog(QStringLiteral("ticker: running"))) {
        std::fprintf(stderr, "bench_window_idle: the timer process did not start\n");
        return 1;
    }

    // Start-up work (fonts, pictures, settings) is over well before this.
    support::spinFor(kSettleMs);
    QElapsedTimer wall;
    const Sample windowFrom = sample(window.pid());
    const Sample tickerFrom = sample(ticker.pid());
    wall.start();
    support::spinFor(seconds * 1000);
    const Sample windowTo = sample(window.pid());
    const Sample tickerTo = sample(ticker.pid());
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const bool stillRunning = window.isRunning();
    ticker.stop();

    // The window is still at its table: a guest sees it there.
    support::TestBot guest;
    bool seated = false;
    if (guest.connectTo(e2e::kGamePort) && guest.login("Guest")) {
        const auto host = guest.waitFor(protocol::MessageId::ExistingPlayers);
        seated = host && host->integer(0) == 1 && host->text(1) == "You";
    }
    guest.disconnectNow();
    window.signal(15);

    std::printf("bench_window_idle: solo player window (offscreen), logged in, idle; %.0f s "
                "settle, %.1f s measured\n",
                kSettleMs / 1000.0, wallSeconds);
    const double share = report("quillon (window + own host):", windowFrom, windowTo, wallSeconds);
    report("a 1 ms timer (comparison):", tickerFrom, tickerTo, wallSeconds);
    std::printf("  target: under %.1f %% of one core: %s\n", kTargetShare,
                share < kTargetShare ? "met" : "MISSED");

    bool ok = true;
    if (!readable(windowFrom) || !readable(windowTo) || !readable(tickerFrom) ||
        !readable(tickerTo)) {
        std::fprintf(stderr, "bench_window_idle: /proc figures could not be read\n");
        ok = false;
    }
    if (!stillRunning || !seated) {
        std::fprintf(stderr, "bench_window_idle: the window did not stay at its table\n%s\n",
                     qUtf8Printable(window.log()));
        ok = false;
    }
    return ok ? 0 : 1;
}
