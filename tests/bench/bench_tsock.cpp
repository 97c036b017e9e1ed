// TSock over loopback: a client and the socket its listener accepted each send the other
// 10,000 small protocol messages at once; every message must arrive complete and in order.
// Prints messages per second and megabytes per second for several rounds; exits non-zero
// when anything is lost, cut, reordered or late.
//
//   bench_tsock [rounds]     (default 5)

#include "net/tsock.h"
#include "protocol/framing.h"
#include "protocol/message.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using net::TSock;

namespace {

constexpr int kMessages = 10000;
constexpr int kTimeoutMs = 60000;

// Stroke-sized messages with the sequence number in the first field, so a lost, cut or
// reordered message shows as a mismatch.
std::vector<QByteArray> makeMessages(const char* side)
{
    std::vector<QByteArray> messages;
    messages.reserve(kMessages);
    for (int i = 0; i < kMessages; ++i) {
        const QByteArray seq = QByteArray::number(i);
        messages.push_back(protocol::buildMessage(
            "CMD_draw", {seq, side, "clMaroon", "3", "120,45+121,47+123,50+126,54+130,59"}));
    }
    return messages;
}

// One direction's receiver: cuts the stream and compares each message with the one expected.
struct Receiver {
    explicit Receiver(const std::vector<QByteArray>& messages) : expected(&messages) {}

    const std::vector<QByteArray>* expected;
    protocol::MessageFramer framer;
    int next = 0;
    int wrong = 0;

    void take(TSock* sock)
    {
        framer.feed(sock->receive(), [this](QByteArrayView message) {
            if (next >= kMessages || message != (*expected)[static_cast<size_t>(next)].chopped(1))
                ++wrong;
            ++next;
        });
    }
};

struct Round {
    double seconds = 0;
    bool ok = false;
};

Round runRound(const std::vector<QByteArray>& toServer, const std::vector<QByteArray>& toClient)
{
    Round result;
    TSock listener;
    TSock* server = nullptr;
    Receiver atServer(toServer), atClient(toClient);
    listener.setPortName(QStringLiteral("0"));
    listener.OnAccept = [&](TSock* sock) {
        sock->accept(server);
    };
    listener.OnRead = [&](TSock* sock, qint64) {
        atServer.take(sock);
    };
    listener.setListen(true);

    TSock client;
    client.OnRead = [&](TSock* sock, qint64) {
        atClient.take(sock);
    };
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(listener.localPort()));
    client.open();

    QEventLoop loop;
    QTimer check;
    QElapsedTimer waited;
    waited.start();
    const auto waitFor = [&](auto done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done() || waited.elapsed() > kTimeoutMs)
                loop.quit();
        });
        check.start(1);
        loop.exec();
        check.stop();
        QObject::disconnect(&check, nullptr, &loop, nullptr);
        return done();
    };
    if (!waitFor([&] { return client.connected() && server != nullptr; })) {
        std::fprintf(stderr, "no connection\n");
        return result;
    }

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kMessages; ++i) {
        client.send(toServer[static_cast<size_t>(i)]);
        server->send(toClient[static_cast<size_t>(i)]);
    }
    const bool arrived =
        waitFor([&] { return atServer.next >= kMessages && atClient.next >= kMessages; });
    result.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    result.ok = arrived && atServer.wrong == 0 && atClient.wrong == 0 &&
                atServer.next == kMessages && atClient.next == kMessages &&
                atServer.framer.pendingSize() == 0 && atClient.framer.pendingSize() == 0;
    if (!result.ok) {
        std::fprintf(stderr, "to server: %d arrived, %d wrong; to client: %d arrived, %d wrong\n",
                     atServer.next, atServer.wrong, atClient.next, atClient.wrong);
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const auto toServer = makeMessages("c");
    const auto toClient = makeMessages("s");
    qint64 bytes = 0;
    for (const auto& m : toServer)
        bytes += m.size();
    for (const auto& m : toClient)
        bytes += m.size();

    std::printf("bench_tsock: %d messages each way over loopback, %lld bytes in all\n", kMessages,
                static_cast<long long>(bytes));
    std::vector<double> seconds;
    for (int r = 0; r < rounds; ++r) {
        const Round round = runRound(toServer, toClient);
        if (!round.ok) {
            std::fprintf(stderr, "round %d: messages lost, cut or out of order\n", r + 1);
            return 1;
        }
        seconds.push_back(round.seconds);
        std::printf("round %d: %8.1f ms  %10.0f messages/s  %7.2f MB/s\n", r + 1,
                    round.seconds * 1e3, 2.0 * kMessages / round.seconds,
                    static_cast<double>(bytes) / round.seconds / 1e6);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("median: %.1f ms, %.0f messages/s, %.2f MB/s (both directions together)\n",
                median * 1e3, 2.0 * kMessages / median, static_cast<double>(bytes) / median / 1e6);
    return 0;
}
