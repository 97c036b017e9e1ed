// What the heaviest strokes a host can send cost a receiving window: one CMD_draw of the
// longest a message may be (4096 characters), its points zig-zagging between far corners
// outside the board, at the widest pen. The board bounds widths to 100 and coordinates to
// +-10000; without those bounds a single such line at width 8,000,000 took minutes.
#include "client/drawingboard.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// The point list of a CMD_draw as long as the queue hands out, every point a far corner.
QList<QPoint> hostilePoints(int extent)
{
    QByteArray payload = "+";
    const QByteArray e = QByteArray::number(extent);
    for (int i = 0; payload.size() < protocol::kMaxEntryLength - 40; ++i)
        payload += (i % 2 == 0 ? "-" + e + ",-" + e : e + ',' + e) + '+';
    return protocol::FieldReader(payload).restPointList();
}

void BM_StrokeAcrossTheBoard(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int extent = static_cast<int>(state.range(1));
    const QList<QPoint> points = hostilePoints(extent);
    client::DrawingBoard board;
    for (auto _ : state) {
        board.penDown(0, width, {-extent, -extent});
        board.strokeTo(0, width, points);
    }
    state.counters["points"] = static_cast<double>(points.size());
}
// An honest thin stroke, the widest pen, and numbers far beyond both bounds.
BENCHMARK(BM_StrokeAcrossTheBoard)
    ->Args({3, 500})
    ->Args({100, 10000})
    ->Args({8000000, 2000000000})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
