// How long `quillon` takes from its start (no arguments: a solo table) to its window shown
// and logged in to its own host, on an Xvfb screen. Each start gets a fresh folder and
// runtime folder, so no copy finds another running.
//
// "Logged in" is read from the copy's own standard error: its host engine writes
// `slot 1: logged in as "You"` the moment it handles the window's CMD_logininfo. The
// window sends that only after it has been shown (the command line is carried out from
// the first show), so the line marks "shown and logged in" without a test connection that
// could take slot 1 before the window does; what remains (the host's CMD_newplayerinfo back
// to the window) is one loopback hop. After each timed start, outside the timing, the
// window is looked up with xdotool and a bot checks that it sits at slot 1 as "You".
//
//   bench_window_start [starts]     (default 7)

#include "e2e/desktop.h"
#include "support/cpuclock.h"
#include "support/eventloop.h"
#include "support/testbot.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool seatedAsYou()
{
    support::TestBot guest;
    if (!guest.connectTo(e2e::kGamePort) || !guest.login("Guest"))
        return false;
    const auto host = guest.waitFor(protocol::MessageId::ExistingPlayers);
    return guest.slot() == 2 && host && host->integer(0) == 1 && host->text(1) == "You";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int starts = argc > 1 ? std::atoi(argv[1]) : 7;
    if (starts < 1 || starts > 100) {
        std::fprintf(stderr, "usage: bench_window_start [starts 1-100]\n");
        return 2;
    }
    e2e::Display display;
    if (!display.start()) {
        std::fprintf(stderr, "bench_window_start: Xvfb did not start:\n%s\n",
                     qUtf8Printable(display.log()));
        return 1;
    }

    std::vector<double> ms;
    for (int run = 1; run <= starts; ++run) {
        if (!support::spinUntil([] { return e2e::portIsFree(e2e::kGamePort); }, e2e::kStartMs)) {
            std::fprintf(stderr, "bench_window_start: port %d stays in use\n", e2e::kGamePort);
            return 1;
        }
        e2e::GameFolder home(QStringLiteral(QUILLON_BINARY));
        e2e::GameProcess window;
        if (!home.isReady()) {
            std::fprintf(stderr, "bench_window_start: no folder for the copy\n");
            return 1;
        }
        QElapsedTimer clock;
        clock.start();
        if (!window.start(home, {}, &display) ||
            !window.waitForLog(QStringLiteral("slot 1: logged in as \"You\""))) {
            std::fprintf(stderr, "bench_window_start: start %d did not log in:\n%s\n", run,
                         qUtf8Printable(window.log()));
            return 1;
        }
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (!display.waitForWindow(window.pid()) || !seatedAsYou()) {
            std::fprintf(stderr, "bench_window_start: start %d: no window, or not at slot 1\n",
                         run);
            return 1;
        }
        ms.push_back(elapsed);
        std::printf("  start %d: %.1f ms\n", run, elapsed);
        window.signal(15);
    }

    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const size_t mid = sorted.size() / 2;
    const double median =
        sorted.size() % 2 == 1 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
    std::printf("bench_window_start: %d starts on Xvfb %s, start to shown and logged in: "
                "median %.1f ms, min %.1f ms, max %.1f ms\n",
                starts, qUtf8Printable(display.name()), median, sorted.front(), sorted.back());
    support::reportFigure("start_to_login_ms", median);
    return 0;
}
