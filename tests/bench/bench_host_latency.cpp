// Relay latency through a quillon-host child process over loopback. Fifteen connections (a
// full table) chat at human rates, each one line every 300 to 1000 ms at random, and every
// line's relay to each of the other fourteen is timed from the sender's write to the
// receiver's read. Prints the count and the percentiles; exits non-zero when a line is lost,
// a connection drops or the host does not end cleanly.
//
//   bench_host_latency [seconds]     (default 30)

#include "support/cpuclock.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/timedclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using support::percentile;

namespace {

constexpr int kClients = 15;
constexpr int kMinGapMs = 300;
constexpr int kMaxGapMs = 1000;

// "t <slot> <sequence>" out of a relayed "CMD_chat+NAME chats: t 3 17|clBlack".
bool parseProbe(const QByteArray& message, int& slot, int& sequence)
{
    static const QByteArray marker = " chats: t ";
    const qsizetype at = message.indexOf(marker);
    if (!message.startsWith("CMD_chat+") || at < 0)
        return false;
    const QByteArray body = message.mid(at + marker.size()).split('|').value(0);
    const QList<QByteArray> parts = body.split(' ');
    bool okSlot = false;
    bool okSequence = false;
    slot = parts.value(0).toInt(&okSlot);
    sequence = parts.value(1).toInt(&okSequence);
    return okSlot && okSequence && slot >= 1 && slot <= kClients && sequence >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    if (seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "usage: bench_host_latency [seconds 1-3600]\n");
        return 2;
    }

    support::HostProcess host(QStringLiteral(QUILLON_HOST_BINARY));
    if (!host.start()) {
        std::fprintf(stderr, "bench_host_latency: the host did not start:\n%s\n",
                     qUtf8Printable(host.log()));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    // Per sender slot: the send time of every line (ns) and how many receipts it has had.
    std::array<std::vector<qint64>, kClients + 1> sentAt;
    std::array<std::vector<int>, kClients + 1> receipts;
    std::vector<double> latencyMs;
    latencyMs.reserve(static_cast<size_t>(seconds) * kClients * kClients * 4);
    long strays = 0;

    std::vector<std::unique_ptr<support::TimedClient>> clients;
    for (int i = 1; i <= kClients; ++i) {
        auto client = std::make_unique<support::TimedClient>(clock);
        if (!client->connectTo(host.port()) || !client->login("Bot" + QByteArray::number(i))) {
            std::fprintf(stderr, "bench_host_latency: connection %d could not log in\n", i);
            return 1;
        }
        const int receiver = client->slot();
        client->setHandler([&, receiver](const QByteArray& message, qint64 receivedNs) {
            int slot = 0;
            int sequence = 0;
            if (!parseProbe(message, slot, sequence))
                return;
            const auto s = static_cast<size_t>(slot);
            const auto q = static_cast<size_t>(sequence);
            if (q >= sentAt[s].size()) {
                ++strays;
                return;
            }
            ++receipts[s][q];
            if (receiver != slot)
                latencyMs.push_back(static_cast<double>(receivedNs - sentAt[s][q]) / 1e6);
        });
        clients.push_back(std::move(client));
    }

    QRandomGenerator random(4242);
    const qint64 endMs = clock.elapsed() + seconds * 1000LL;
    std::function<void(support::TimedClient*)> schedule = [&](support::TimedClient* c) {
        const int gap = static_cast<int>(random.bounded(kMinGapMs, kMaxGapMs + 1));
        QTimer::singleShot(gap, Qt::PreciseTimer, c, [&, c] {
            if (clock.elapsed() >= endMs)
                return;
            const auto s = static_cast<size_t>(c->slot());
            const QByteArray text = "t " + QByteArray::number(c->slot()) + ' ' +
                                    QByteArray::number(static_cast<qsizetype>(sentAt[s].size()));
            // Receipts are handled from the event loop only, after this bookkeeping.
            sentAt[s].push_back(
                c->send("CMD_chat+" + QByteArray::number(c->slot()) + '+' + text + "|clBlack"));
            receipts[s].push_back(0);
            schedule(c);
        });
    };
    for (auto& c : clients)
        schedule(c.get());
    support::spinUntil([&] { return clock.elapsed() >= endMs; }, seconds * 1000 + 5000);

    // Every line must reach all fifteen connections, its sender included.
    const auto allDelivered = [&] {
        for (const auto& counts : receipts) {
            for (int n : counts) {
                if (n < kClients)
                    return false;
            }
        }
        return true;
    };
    const bool delivered = support::spinUntil(allDelivered, 20000);

    long lines = 0;
    long missing = 0;
    for (const auto& counts : receipts) {
        for (int n : counts) {
            ++lines;
            missing += std::max(0, kClients - n);
        }
    }
    bool connected = true;
    for (const auto& c : clients)
        connected = connected && c->isConnected();
    clients.clear();
    const std::optional<int> exitCode = host.stop();

    std::sort(latencyMs.begin(), latencyMs.end());
    std::printf("bench_host_latency: %d connections, %d s, one chat line per connection every "
                "%d-%d ms\n",
                kClients, seconds, kMinGapMs, kMaxGapMs);
    std::printf("  lines sent %ld, relays timed %zu (to the other %d connections)\n", lines,
                latencyMs.size(), kClients - 1);
    std::printf("  relay latency ms: p50 %.3f  p90 %.3f  p99 %.3f  max %.3f\n",
                percentile(latencyMs, 0.50), percentile(latencyMs, 0.90),
                percentile(latencyMs, 0.99), latencyMs.empty() ? 0.0 : latencyMs.back());
    support::reportFigure("relay_p50_ms", percentile(latencyMs, 0.50));
    support::reportFigure("relay_p99_ms", percentile(latencyMs, 0.99));

    bool ok = true;
    if (!delivered || missing > 0) {
        std::fprintf(stderr, "bench_host_latency: %ld deliveries missing\n", missing);
        ok = false;
    }
    if (strays > 0) {
        std::fprintf(stderr, "bench_host_latency: %ld unexpected lines\n", strays);
        ok = false;
    }
    if (!connected) {
        std::fprintf(stderr, "bench_host_latency: a connection dropped\n");
        ok = false;
    }
    if (lines == 0) {
        std::fprintf(stderr, "bench_host_latency: nothing was measured\n");
        ok = false;
    }
    if (exitCode != 0) {
        std::fprintf(stderr, "bench_host_latency: the host did not end cleanly\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
