// A full table of a running quillon-host where one connection sends chat lines as fast as
// it can while fourteen players chat at human rates: the host reads the flooder no faster
// than its share of 50 lines a second, every honest line reaches every honest player in
// order, nobody is dropped, and the host's memory stays bounded.
#include "livehost.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>

using namespace integration;

namespace {

constexpr int kHonest = 14;
constexpr int kLinesEach = 8;
constexpr qint64 kFloodFromMs = 500;
constexpr qint64 kFloodForMs = 10000;
constexpr qint64 kMaxFloodLines = 20000;
constexpr qint64 kFlooderBacklog = 256 * 1024; // unsent bytes the flooder keeps queued
constexpr qint64 kMemoryBoundKb = 50 * 1024;

struct Planned {
    qint64 atMs;
    Peer* from;
    QByteArray text;
};

} // namespace

class Flood : public LiveHost {};

TEST_F(Flood, TheFlooderIsHeldToItsShareWhileHonestChatArrivesAndMemoryStaysBounded)
{
    QList<Peer*> honest;
    for (int i = 1; i <= kHonest; ++i) {
        Peer* p = join("Honest" + QByteArray::number(i));
        ASSERT_NE(p, nullptr);
        honest.append(p);
    }
    QElapsedTimer sinceFlooderJoined;
    sinceFlooderJoined.start();
    Peer* flooder = join("Flood");
    ASSERT_NE(flooder, nullptr);
    ASSERT_EQ(flooder->slot(), 15);
    ASSERT_TRUE(allReceive(honest, "CMD_newplayerinfo+15+Flood"));
    const qint64 residentBefore = host.residentKb();
    ASSERT_GT(residentBefore, 0);

    // Every honest player says a few lines, one every 200 to 500 ms.
    QRandomGenerator random(20240611);
    std::vector<Planned> plan;
    QHash<QByteArray, QList<QByteArray>> saidBy; // sender name -> lines as received
    for (Peer* p : honest) {
        qint64 at = random.bounded(300);
        for (int k = 0; k < kLinesEach; ++k) {
            const QByteArray text = "line " + QByteArray::number(k) + " from " + p->name;
            plan.push_back({at, p, text});
            saidBy[p->name].append(chatSeen(p->name, text));
            at += 200 + random.bounded(300);
        }
    }
    std::sort(plan.begin(), plan.end(),
              [](const Planned& a, const Planned& b) { return a.atMs < b.atMs; });
    const qsizetype honestLines = static_cast<qsizetype>(plan.size());

    const auto honestChatsAt = [](const Peer& p) {
        qsizetype n = 0;
        for (const QByteArray& m : p.seen)
            n += m.startsWith("CMD_chat+Honest") && m.contains(" chats: line ") ? 1 : 0;
        return n;
    };

    QElapsedTimer clock;
    clock.start();
    size_t nextPlanned = 0;
    qint64 floodLines = 0;
    const QByteArray floodLine = chatLine(15, "FLOOD FLOOD FLOOD") + '\xFF';
    QByteArray batch;
    for (int i = 0; i < 500; ++i)
        batch += floodLine;

    const auto step = [&] {
        const qint64 now = clock.elapsed();
        while (nextPlanned < plan.size() && plan[nextPlanned].atMs <= now) {
            const Planned& p = plan[nextPlanned++];
            p.from->send(chatLine(p.from->slot(), p.text));
        }
        const bool flooding =
            now >= kFloodFromMs && now < kFloodFromMs + kFloodForMs && floodLines < kMaxFloodLines;
        if (flooding && flooder->bot.socket().bytesToWrite() < kFlooderBacklog) {
            flooder->bot.socket().write(batch);
            floodLines += 500;
        }
        if (nextPlanned < plan.size() || now < kFloodFromMs + kFloodForMs)
            return false;
        for (const Peer* p : honest) {
            if (honestChatsAt(*p) < honestLines)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(spin(step, 60000)) << "flood lines sent: " << floodLines;
    honest[0]->pump();
    const qint64 floodRelayed = honest[0]->seen.count(chatSeen("Flood", "FLOOD FLOOD FLOOD"));
    const qint64 elapsedMs = sinceFlooderJoined.elapsed();

    const qint64 residentPeak = host.peakResidentKb();
    const qint64 residentAfter = host.residentKb();
    RecordProperty("flood_lines", static_cast<int>(floodLines));
    RecordProperty("flood_relayed", static_cast<int>(floodRelayed));
    RecordProperty("resident_kb_before", static_cast<int>(residentBefore));
    RecordProperty("resident_kb_peak", static_cast<int>(residentPeak));

    // The flooder sent far more than its share and was neither dropped nor served faster
    // than its budget allows: a burst of 200 lines and 50 a second since it arrived.
    EXPECT_GE(floodLines, 2000);
    EXPECT_GT(floodRelayed, 200);
    EXPECT_LE(floodRelayed, 200 + 50 * elapsedMs / 1000 + 1);
    EXPECT_TRUE(flooder->bot.isConnected());
    EXPECT_EQ(host.logCount(QStringLiteral("dropping the connection")), 0);

    // Every honest line reached every honest player exactly once, in its sender's order.
    for (const Peer* p : honest) {
        EXPECT_TRUE(p->bot.isConnected()) << p->name.toStdString();
        for (auto it = saidBy.cbegin(); it != saidBy.cend(); ++it) {
            QList<QByteArray> got;
            for (const QByteArray& m : p->seen) {
                if (m.startsWith("CMD_chat+" + it.key() + " chats: "))
                    got.append(m);
            }
            EXPECT_EQ(got, it.value())
                << "at " << p->name.toStdString() << " from " << it.key().toStdString();
        }
    }

    EXPECT_GT(residentPeak, 0);
    EXPECT_LT(residentPeak - residentBefore, kMemoryBoundKb)
        << "before " << residentBefore << " kB, peak " << residentPeak << " kB";
    EXPECT_LT(residentAfter - residentBefore, kMemoryBoundKb);
}
