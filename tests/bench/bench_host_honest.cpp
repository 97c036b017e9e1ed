// Honest players at their busiest, and the peers that would crowd them out, at a
// quillon-host child process over loopback. Each scenario has a fresh host (a clock second
// of 100 ms; the drawer's turn is a day long) and a table of bots from support::BusyTable:
//
//  - stall:    a drawer's ten seconds of busy drawing (30 lines a second) held up by its
//              link and delivered at once; how long until every seat has all of it;
//  - crowd:    a table of ten: a hatching drawer, four holding Enter in windows that send
//              empty guesses, five chatting; strokes and chat timed at every seat;
//  - squeeze:  three peers keep 90 lines waiting each, beside a drawer, two chatters and a
//              holder;
//  - fillers:  five peers keep 90 lines waiting each, beside two chatters;
//  - flooder:  one peer writes as fast as its socket takes, beside three chatters;
//  - peak15:   a full table at an honest peak: the drawer, nine holding Enter, five chatting
//              spectators; the load it offers against the hundred lines a second that one
//              line per 10 ms tick would handle.
//
// Prints the figures ("figure NAME VALUE"); exits non-zero when anybody is dropped, a line
// is lost or a host does not end cleanly.
//
//   bench_host_honest [seconds]     (each timed scenario plays this long; default 30)

#include "support/busytable.h"
#include "support/cpuclock.h"
#include "support/hostprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using support::BusyTable;
using support::Role;

bool g_ok = true;

void fail(const char* scenario, const char* what)
{
    std::fprintf(stderr, "bench_host_honest: %s: %s\n", scenario, what);
    g_ok = false;
}

// Starts a host, seats `roles` and lets `run` play; checks that nobody was dropped and
// every line arrived.
void scenario(const char* name, const QList<Role>& roles,
              const std::function<void(BusyTable&, const QElapsedTimer&)>& run)
{
    support::HostProcess host(QStringLiteral(QUILLON_HOST_BINARY));
    if (!host.start({QStringLiteral("--second-ms"), QStringLiteral("100")}))
        return fail(name, "the host did not start");
    QElapsedTimer clock;
    clock.start();
    {
        BusyTable table(host.port(), clock);
        if (!table.seat(roles))
            return fail(name, "a bot could not sit down");
        if (roles.front() == Role::Drawer && !table.startDrawing())
            return fail(name, "the drawer never drew");
        run(table, clock);
        if (!table.settle(60000))
            fail(name, "lines were lost");
        if (!table.dropped().isEmpty())
            fail(name, qPrintable(QStringLiteral("dropped: ") + table.dropped().join(u' ')));
    }
    if (host.logCount(QStringLiteral("dropping the connection")) > 0)
        fail(name, "the host dropped a connection");
    if (host.stop() != 0)
        fail(name, "the host did not end cleanly");
}

void report(const char* name, double value)
{
    support::reportFigure(name, value);
}

void reportLateness(const char* prefix, const std::vector<double>& ms)
{
    const QByteArray p50 = QByteArray(prefix) + "_p50_ms";
    const QByteArray p99 = QByteArray(prefix) + "_p99_ms";
    std::printf("  %s: %zu relays, p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", prefix, ms.size(),
                support::percentile(ms, 0.5), support::percentile(ms, 0.99),
                support::percentile(ms, 1.0));
    report(p50.constData(), support::percentile(ms, 0.5));
    report(p99.constData(), support::percentile(ms, 0.99));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    if (seconds < 1 || seconds > 600) {
        std::fprintf(stderr, "usage: bench_host_honest [seconds 1-600]\n");
        return 2;
    }
    const int playMs = seconds * 1000;
    std::printf("bench_host_honest: each table plays %d s\n", seconds);

    scenario("stall", {Role::Drawer, Role::Chatter, Role::Chatter, Role::Chatter},
             [](BusyTable& table, const QElapsedTimer& clock) {
                 const qint64 from = clock.elapsed();
                 table.deliverBacklog(10000, 30);
                 table.settle(60000);
                 const double ms = static_cast<double>(clock.elapsed() - from);
                 std::printf("  stall: 300 held lines at every seat after %.0f ms\n", ms);
                 report("stall_catchup_ms", ms);
             });

    QList<Role> ten{Role::Drawer, Role::Holder, Role::Holder, Role::Holder, Role::Holder};
    for (int i = 0; i < 5; ++i)
        ten << Role::Chatter;
    scenario("crowd", ten, [&](BusyTable& table, const QElapsedTimer&) {
        table.play(playMs);
        table.settle(60000);
        reportLateness("crowd_stroke", table.strokeLateMs());
        reportLateness("crowd_chat", table.chatLateMs());
        std::vector<double> all = table.strokeLateMs();
        all.insert(all.end(), table.chatLateMs().begin(), table.chatLateMs().end());
        reportLateness("crowd_relay", all);
    });

    scenario("squeeze",
             {Role::Drawer, Role::Squeezer, Role::Squeezer, Role::Squeezer, Role::Chatter,
              Role::Chatter, Role::Holder},
             [&](BusyTable& table, const QElapsedTimer&) {
                 table.play(playMs);
                 table.settle(60000);
                 reportLateness("squeeze_stroke", table.strokeLateMs());
                 reportLateness("squeeze_chat", table.chatLateMs());
             });

    scenario("fillers",
             {Role::Chatter, Role::Squeezer, Role::Squeezer, Role::Squeezer, Role::Squeezer,
              Role::Squeezer, Role::Chatter},
             [&](BusyTable& table, const QElapsedTimer&) {
                 table.play(playMs);
                 table.settle(60000);
                 reportLateness("fillers_chat", table.chatLateMs());
             });

    scenario("flooder", {Role::Chatter, Role::Flooder, Role::Chatter, Role::Chatter},
             [&](BusyTable& table, const QElapsedTimer&) {
                 table.play(playMs);
                 table.settle(60000);
                 reportLateness("flooder_chat", table.chatLateMs());
                 std::printf("  flooder: %lld of its lines relayed in %d s\n",
                             static_cast<long long>(table.pressureRelayed()), seconds);
             });

    QList<Role> full{Role::Drawer};
    for (int i = 0; i < 9; ++i)
        full << Role::Holder;
    for (int i = 0; i < 5; ++i)
        full << Role::Chatter;
    scenario("peak15", full, [&](BusyTable& table, const QElapsedTimer&) {
        const qint64 before = table.linesSent();
        table.play(playMs);
        const double offered = static_cast<double>(table.linesSent() - before) * 1000.0 / playMs;
        table.settle(60000);
        std::printf("  peak15: %.0f lines a second offered; one line per 10 ms tick handles "
                    "100\n",
                    offered);
        report("peak15_offered_lines_per_s", offered);
        reportLateness("peak15_stroke", table.strokeLateMs());
    });

    return g_ok ? 0 : 1;
}
