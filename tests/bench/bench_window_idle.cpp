// What an idle player window costs: a `quillon` copy started without arguments (a solo
// table: the window connected to the host inside the same process), offscreen, logged in
// and left alone. After a settle period, prints its CPU time over the measured seconds
// (utime + stime from /proc/PID/stat, and the precise on-CPU time from the process's
// CPU-time clock) and the share of one core, beside two processes that run a 1 ms and a
// 10 ms timer over the same seconds. The target is below 0.1 % of one core; missing it is
// reported, not an error. Exits non-zero only when the measurement failed.
//
//   bench_window_idle [seconds]     (default 30)
//   bench_window_idle --ticker MS   (a comparison process: a timer of MS, until signalled)

#include "e2e/desktop.h"
#include "support/cpuclock.h"
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

} // namespace

int main(int argc, char** argv)
{
    if (const int interval = support::tickerInterval(argc, argv))
        return support::runTicker(argc, argv, interval);

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

    support::ComparisonTickers tickers;
    if (!tickers.start()) {
        std::fprintf(stderr, "bench_window_idle: the timer processes did not start\n");
        return 1;
    }

    // Start-up work (fonts, pictures, settings) is over well before this.
    support::spinFor(kSettleMs);
    QElapsedTimer wall;
    const support::CpuSample windowFrom = support::cpuSample(window.pid());
    tickers.sampleFrom();
    wall.start();
    support::spinFor(seconds * 1000);
    const support::CpuSample windowTo = support::cpuSample(window.pid());
    tickers.sampleTo();
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const bool stillRunning = window.isRunning();

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
    const double share =
        support::reportCpu("quillon (window + own host):", windowFrom, windowTo, wallSeconds);
    support::reportFigure("window_idle_pct", share);
    tickers.report(wallSeconds);
    std::printf("  target: under %.1f %% of one core: %s\n", kTargetShare,
                share < kTargetShare ? "met" : "MISSED");

    bool ok = true;
    if (!windowFrom.readable() || !windowTo.readable() || !tickers.readable()) {
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
