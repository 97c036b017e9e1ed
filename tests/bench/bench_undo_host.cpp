// An undo as the watchers see it, through a quillon-host child process: a drawer and four
// watchers at one table, a game started so that the drawer draws. The drawer's turn is the
// busy one of bench_drawing_tools (400 strokes of varied pens, 2,000 lines as the window sent
// them); the drawer undoes its last stroke, so it sends CMD_clearmain and the lines that
// resend the rest, paced as the window paces them (client::LinePacer: a burst of 150, then 45
// a second). For every watcher, the time from the clear's write to the arrival of the clear
// and of the resend's last line is printed. Exits non-zero when a watcher misses a line or
// gets one out of order.
//
// The turn's own 2,000 lines are not sent first: the host relays a line and clears the
// drawing record the same way whatever the record holds, and sending them at the pacer's
// rate would take three quarters of a minute.
//
//   bench_undo_host

#include "client/drawinghistory.h"
#include "client/linepacer.h"
#include "client/strokelines.h"
#include "protocol/catalogue.h"
#include "support/cpuclock.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/timedclient.h"

#include "busyturn.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kWatchers = 4;
// A clock second of 100 ms and an hour per turn: the picking phase is over in about a second
// and the drawing phase outlasts the bench.
constexpr char kSecondMs[] = "100";
constexpr char kTurnSeconds[] = "3600";
constexpr int kResendTimeoutMs = 120000;

// A stroke line as the drawer's window sends it, without the terminator.
QByteArray wireLine(int slot, const client::StrokeLine& line)
{
    QByteArray message =
        line.penDown
            ? protocol::buildMessage(
                  protocol::MessageId::MoveItToHost,
                  {slot, line.colour, line.width, line.points.front().x(), line.points.front().y()})
            : protocol::buildMessage(protocol::MessageId::DrawToHost,
                                     {slot, line.colour, line.width, QByteArray(), line.points});
    message.chop(1);
    return message;
}

bool isStroke(const QByteArray& message)
{
    return message.startsWith("CMD_moveit+") || message.startsWith("CMD_draw+");
}

struct Watcher {
    explicit Watcher(const QElapsedTimer& clock) : client(clock) {}
    support::TimedClient client;
    bool cleared = false;
    qint64 clearNs = -1;
    qint64 lastNs = -1;
    std::vector<QByteArray> lines; // the stroke lines after the clear, as received
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    support::HostProcess host(QStringLiteral(QUILLON_HOST_BINARY));
    if (!host.start({QStringLiteral("--second-ms"), QString::fromLatin1(kSecondMs)})) {
        std::fprintf(stderr, "bench_undo_host: the host did not start:\n%s\n",
                     qUtf8Printable(host.log()));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();

    support::TimedClient drawer(clock);
    if (!drawer.connectTo(host.port()) || !drawer.login("Drawer")) {
        std::fprintf(stderr, "bench_undo_host: the drawer could not log in\n");
        return 1;
    }
    std::vector<std::unique_ptr<Watcher>> watchers;
    for (int i = 0; i < kWatchers; ++i) {
        auto w = std::make_unique<Watcher>(clock);
        Watcher* watcher = w.get();
        watcher->client.setHandler([watcher](const QByteArray& message, qint64 receivedNs) {
            if (message.startsWith("CMD_clearmain+")) {
                watcher->cleared = true;
                watcher->clearNs = receivedNs;
            } else if (watcher->cleared && isStroke(message)) {
                watcher->lines.push_back(message);
                watcher->lastNs = receivedNs;
            }
        });
        if (!watcher->client.connectTo(host.port()) ||
            !watcher->client.login("Watcher" + QByteArray::number(i + 1))) {
            std::fprintf(stderr, "bench_undo_host: watcher %d could not log in\n", i + 1);
            return 1;
        }
        watchers.push_back(std::move(w));
    }

    bool drawing = false;
    int departures = 0;
    drawer.setHandler([&](const QByteArray& message, qint64) {
        if (message.startsWith("CMD_givedraweranswer+"))
            drawing = true;
        if (message.startsWith("CMD_playerdisconnected+"))
            ++departures;
    });
    const QByteArray slot = QByteArray::number(drawer.slot());
    drawer.send("CMD_startgame+" + slot + "+false+20+" + kTurnSeconds);
    if (!support::spinUntil([&] { return drawing; }, 30000)) {
        std::fprintf(stderr, "bench_undo_host: the drawer's turn did not begin\n");
        return 1;
    }

    // The undo: the strokes that stay, as the lines that resend them.
    client::DrawingHistory history = benchturn::busyTurn();
    std::vector<QByteArray> resend;
    for (const client::StrokeLine& line : client::strokeLines(history.undo()))
        resend.push_back(wireLine(drawer.slot(), line));

    // The clear goes first, through the same pacer as the lines after it.
    std::vector<QByteArray> out{"CMD_clearmain+" + slot};
    out.insert(out.end(), resend.begin(), resend.end());
    client::LinePacer pacer;
    size_t sent = 0;
    qint64 clearSentNs = 0;
    const bool complete = support::spinUntil(
        [&] {
            while (sent < out.size() && pacer.hasLine(clock.elapsed())) {
                pacer.spend();
                const qint64 ns = drawer.send(out[sent++]);
                if (sent == 1)
                    clearSentNs = ns;
            }
            return sent == out.size() &&
                   std::all_of(watchers.begin(), watchers.end(),
                               [&](const auto& w) { return w->lines.size() >= resend.size(); });
        },
        kResendTimeoutMs);
    const double sendMs = static_cast<double>(clock.nsecsElapsed() - clearSentNs) / 1e6;

    bool ok = true;
    std::printf("bench_undo_host: CMD_clearmain and %zu resend lines (the turn had %d), paced "
                "at %lld lines a second after a burst of %lld\n",
                resend.size(), benchturn::kTurnLines,
                static_cast<long long>(client::LinePacer::kLinesPerSecond),
                static_cast<long long>(client::LinePacer::kBurst));
    std::vector<double> lastMs;
    for (size_t i = 0; i < watchers.size(); ++i) {
        const Watcher& w = *watchers[i];
        if (!w.cleared || w.lines != resend) {
            std::fprintf(stderr, "bench_undo_host: watcher %zu got %s and %zu of %zu lines%s\n",
                         i + 1, w.cleared ? "the clear" : "no clear", w.lines.size(), resend.size(),
                         w.lines.size() >= resend.size() ? ", not the ones sent or not in order"
                                                         : "");
            ok = false;
            continue;
        }
        lastMs.push_back(static_cast<double>(w.lastNs - clearSentNs) / 1e6);
        std::printf("  watcher %zu: the clear after %.2f ms, the last line after %.1f ms\n", i + 1,
                    static_cast<double>(w.clearNs - clearSentNs) / 1e6, lastMs.back());
    }
    if (!complete)
        std::fprintf(stderr, "bench_undo_host: the resend did not arrive within %.0f ms\n", sendMs);
    if (!lastMs.empty()) {
        std::sort(lastMs.begin(), lastMs.end());
        std::printf("  undo (clear to last resent line) ms: min %.1f  max %.1f\n", lastMs.front(),
                    lastMs.back());
        support::reportFigure("undo_resend_ms", lastMs.back());
        support::reportFigure("undo_resend_lines", static_cast<double>(resend.size()));
    }
    if (departures != 0 || !drawer.isConnected()) {
        std::fprintf(stderr, "bench_undo_host: the host let %d players go during the undo\n",
                     departures);
        ok = false;
    }
    if (host.stop() != 0) {
        std::fprintf(stderr, "bench_undo_host: the host did not end cleanly\n");
        ok = false;
    }
    return ok && complete ? 0 : 1;
}
