// A newcomer's catch-up on a quillon-host child process with a drawing record of stroke
// lines (5,000 unless asked otherwise). The host records what the drawer of a running game draws,
// so one player starts a long game and draws the record in paced batches (the host drops a
// connection that sends more than 50 lines a second or holds more than 100 unhandled lines;
// building 5,000 lines takes about two minutes). Then newcomers join one after another; for each,
// the time from its CMD_logininfo to the arrival of the first and of the last replayed line
// is printed. Exits non-zero when a replay is incomplete or out of order.
//
//   bench_host_catchup [newcomers [lines]]     (default 5 newcomers, 5,000 lines)

#include "support/cpuclock.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/timedclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDefaultRecordLines = 5000;
constexpr int kBatch = 40;            // plus one chat line to learn when the batch is handled
constexpr qint64 kBatchEveryMs = 900; // 45 lines a second, under the host's rate bound
constexpr int kBuildTimeoutMs = 240000;
// A clock second of 100 ms and an hour per turn: the picking phase is over in about a second
// and the drawing phase outlasts the bench.
constexpr char kSecondMs[] = "100";
constexpr char kTurnSeconds[] = "3600";

// Alternating stroke starts and point batches of ten points, all different.
QByteArray strokeLine(int slot, int i)
{
    const QByteArray s = QByteArray::number(slot);
    const int x = i % 640;
    const int y = (i / 640) * 40 % 480;
    if (i % 2 == 0)
        return "CMD_moveit+" + s + "+clBlack+3+" + QByteArray::number(x) + '+' +
               QByteArray::number(y);
    QByteArray line = "CMD_draw+" + s + "+$00336699+5++";
    for (int p = 0; p < 10; ++p)
        line += QByteArray::number(x + p) + ',' + QByteArray::number(y + p * 2) + '+';
    return line;
}

bool isStroke(const QByteArray& message)
{
    return message.startsWith("CMD_moveit+") || message.startsWith("CMD_draw+");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int newcomers = argc > 1 ? std::atoi(argv[1]) : 5;
    const int recordLines = argc > 2 ? std::atoi(argv[2]) : kDefaultRecordLines;
    if (newcomers < 1 || newcomers > 14 || recordLines < 2 || recordLines > 20000) {
        std::fprintf(stderr, "usage: bench_host_catchup [newcomers 1-14 [lines 2-20000]]\n");
        return 2;
    }

    support::HostProcess host(QStringLiteral(QUILLON_HOST_BINARY));
    if (!host.start({QStringLiteral("--second-ms"), QString::fromLatin1(kSecondMs)})) {
        std::fprintf(stderr, "bench_host_catchup: the host did not start:\n%s\n",
                     qUtf8Printable(host.log()));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();

    // The record, drawn by the first player.
    support::TimedClient artist(clock);
    if (!artist.connectTo(host.port()) || !artist.login("Artist")) {
        std::fprintf(stderr, "bench_host_catchup: the artist could not log in\n");
        return 1;
    }
    std::vector<QByteArray> record;
    qint64 recordBytes = 0;
    for (int i = 0; i < recordLines; ++i) {
        record.push_back(strokeLine(artist.slot(), i));
        recordBytes += record.back().size() + 1;
    }
    int sent = 0;
    int batches = 0;
    int handledBatches = 0;
    int departures = 0;
    bool drawing = false;
    artist.setHandler([&](const QByteArray& message, qint64) {
        if (message.startsWith("CMD_chat+Artist chats: batch "))
            ++handledBatches;
        if (message.startsWith("CMD_playerdisconnected+"))
            ++departures;
        if (message.startsWith("CMD_givedraweranswer+"))
            drawing = true;
    });
    artist.send("CMD_startgame+" + QByteArray::number(artist.slot()) + "+false+20+" + kTurnSeconds);
    if (!support::spinUntil([&] { return drawing; }, 30000)) {
        std::fprintf(stderr, "bench_host_catchup: the artist's turn did not begin\n");
        return 1;
    }
    const qint64 buildStart = clock.elapsed();
    qint64 lastBatchMs = -kBatchEveryMs;
    const bool built = support::spinUntil(
        [&] {
            if (handledBatches == batches && sent < recordLines &&
                clock.elapsed() - lastBatchMs >= kBatchEveryMs) {
                lastBatchMs = clock.elapsed();
                const int end = std::min(recordLines, sent + kBatch);
                for (; sent < end; ++sent)
                    artist.send(record[static_cast<size_t>(sent)]);
                artist.send("CMD_chat+" + QByteArray::number(artist.slot()) + "+batch " +
                            QByteArray::number(++batches) + "|clBlack");
                if (batches % 10 == 0)
                    std::fprintf(stderr, "bench_host_catchup: %d of %d lines sent\n", sent,
                                 recordLines);
            }
            return sent == recordLines && handledBatches == batches;
        },
        kBuildTimeoutMs);
    if (!built || !artist.isConnected()) {
        std::fprintf(stderr, "bench_host_catchup: the record could not be built (%d lines)\n",
                     sent);
        return 1;
    }
    const double buildSeconds = static_cast<double>(clock.elapsed() - buildStart) / 1000.0;

    std::vector<double> firstMs;
    std::vector<double> lastMs;
    bool ok = true;
    for (int n = 0; n < newcomers && ok; ++n) {
        support::TimedClient newcomer(clock);
        std::vector<QByteArray> replay;
        replay.reserve(recordLines);
        qint64 firstNs = -1;
        qint64 lastNs = -1;
        newcomer.setHandler([&](const QByteArray& message, qint64 receivedNs) {
            if (!isStroke(message))
                return;
            replay.push_back(message);
            if (firstNs < 0)
                firstNs = receivedNs;
            lastNs = receivedNs;
        });
        if (!newcomer.connectTo(host.port())) {
            std::fprintf(stderr, "bench_host_catchup: newcomer %d could not connect\n", n + 1);
            ok = false;
            break;
        }
        const qint64 loginNs = newcomer.startLogin("Newcomer" + QByteArray::number(n + 1));
        const bool complete =
            loginNs >= 0 &&
            support::spinUntil([&] { return replay.size() >= record.size(); }, 30000);
        if (!complete || replay != record) {
            std::fprintf(stderr, "bench_host_catchup: newcomer %d got %zu of %d lines%s\n", n + 1,
                         replay.size(), recordLines,
                         complete ? ", not the ones drawn or not in order" : "");
            ok = false;
            break;
        }
        firstMs.push_back(static_cast<double>(firstNs - loginNs) / 1e6);
        lastMs.push_back(static_cast<double>(lastNs - loginNs) / 1e6);
        // The newcomer leaves; the next one comes once the host has let it go.
        newcomer.socket().disconnectFromHost();
        if (!support::spinUntil([&] { return departures == n + 1; }, 10000)) {
            std::fprintf(stderr, "bench_host_catchup: newcomer %d was not let go\n", n + 1);
            ok = false;
        }
    }
    const std::optional<int> exitCode = host.stop();

    std::printf("bench_host_catchup: drawing record of %d lines, %lld bytes, built in %.1f s\n",
                recordLines, static_cast<long long>(recordBytes), buildSeconds);
    for (size_t i = 0; i < lastMs.size(); ++i)
        std::printf("  newcomer %zu: first replayed line after %.2f ms, last after %.2f ms\n",
                    i + 1, firstMs[i], lastMs[i]);
    if (!lastMs.empty()) {
        std::vector<double> sorted = lastMs;
        std::sort(sorted.begin(), sorted.end());
        std::printf("  catch-up (logininfo to last replayed line) ms: min %.2f  median %.2f  "
                    "max %.2f\n",
                    sorted.front(), sorted[sorted.size() / 2], sorted.back());
        support::reportFigure("catchup_ms", sorted[sorted.size() / 2]);
        support::reportFigure("catchup_lines", recordLines);
    }
    if (exitCode != 0) {
        std::fprintf(stderr, "bench_host_catchup: the host did not end cleanly\n");
        ok = false;
    }
    return ok && !lastMs.empty() ? 0 : 1;
}
