// Framing speed: a 1 MiB stream of mixed catalogue messages cut into the receive queue,
// beside a bare memchr scan of the same bytes (the floor any framing must stand on).
#include "protocol/catalogue.h"
#include "protocol/framing.h"
#include "protocol/receivequeue.h"

#include <benchmark/benchmark.h>
#include <cstring>

using namespace protocol;

namespace {

QByteArray mixedStream(qsizetype size)
{
    const QList<QByteArray> samples = {
        buildMessage(MessageId::Chat, {TextColour{"Ann chats: is it a boat?", kBlack}}),
        buildMessage(MessageId::Draw,
                     {3, kBlack, 3, QByteArray(),
                      QList<QPoint>{{10, 20}, {11, 22}, {13, 25}, {16, 29}, {20, 34}, {25, 40}}}),
        buildMessage(MessageId::MoveIt, {3, rgbColour(128, 0, 0), 5, 200, 150}),
        buildMessage(MessageId::MyGuessed, {4, QByteArray("SAILING BOAT")}),
        buildMessage(MessageId::UpdateTime, {98}),
        buildMessage(MessageId::GameStats, {20, 120, QList<qint32>{3, 1, 0, 0, 2, 0, 0, 0, 0, 0}}),
    };
    QByteArray stream;
    stream.reserve(size + 512);
    for (qsizetype i = 0; stream.size() < size; ++i)
        stream.append(samples[i % samples.size()]);
    stream.truncate(size);
    return stream;
}

const QByteArray& stream()
{
    static const QByteArray s = mixedStream(1 << 20);
    return s;
}

// Reads arrive in socket-sized chunks.
constexpr qsizetype kChunk = 32768;

void BM_FrameIntoQueue(benchmark::State& state)
{
    const QByteArray& s = stream();
    // One framer and queue for the whole run, as a connection and its host keep them.
    MessageFramer framer;
    ReceiveQueue queue;
    for (auto _ : state) {
        for (qsizetype at = 0; at < s.size(); at += kChunk)
            framer.feed(QByteArrayView(s).sliced(at, std::min(kChunk, s.size() - at)),
                        [&](QByteArrayView m) { queue.push(m); });
        benchmark::DoNotOptimize(queue.size());
        state.PauseTiming();
        queue.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * s.size());
}
BENCHMARK(BM_FrameIntoQueue);

void BM_MemchrScan(benchmark::State& state)
{
    const QByteArray& s = stream();
    for (auto _ : state) {
        qsizetype count = 0;
        const char* p = s.constData();
        const char* const end = p + s.size();
        while (const void* t = std::memchr(p, 0xFF, static_cast<size_t>(end - p))) {
            ++count;
            p = static_cast<const char*>(t) + 1;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * s.size());
}
BENCHMARK(BM_MemchrScan);

} // namespace

BENCHMARK_MAIN();
