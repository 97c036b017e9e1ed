// What the drawer's tools cost to plan:
//  - an undo late in a busy turn: 400 strokes of varied pens, each sent as the window sends a
//    stroke it flushes in small batches, a pen-down and four CMD_draw of 12 points (2,000
//    lines), and then one undo: the strokes that stay, as the lines that resend them
//    (target: at most 1,000 lines, as the resend packs every stroke into full batches);
//  - a paint-bucket fill of the whole white board (target: at most 400 lines, a few ms),
//    and of an area too intricate to send, which is refused within a few ms too.
#include "client/boardpicture.h"
#include "client/drawinghistory.h"
#include "client/fillplan.h"
#include "client/strokelines.h"

#include "busyturn.h"

#include <QImage>

#include <benchmark/benchmark.h>

namespace {

void BM_UndoResendPlan(benchmark::State& state)
{
    client::DrawingHistory history = benchturn::busyTurn();
    size_t resendLines = 0;
    for (auto _ : state) {
        const std::vector<client::StrokeLine> lines = client::strokeLines(history.undo());
        resendLines = lines.size();
        benchmark::DoNotOptimize(lines.data());
        // The next round undoes the same step again.
        history.redo();
    }
    state.counters["turn_lines"] = benchturn::kTurnLines;
    state.counters["resend_lines"] = static_cast<double>(resendLines);
    if (resendLines > 1000)
        state.SkipWithError("the resend takes more than 1,000 lines");
}
BENCHMARK(BM_UndoResendPlan)->Unit(benchmark::kMicrosecond);

void BM_WholeBoardFillPlan(benchmark::State& state)
{
    const client::BoardPicture white;
    size_t lines = 0;
    for (auto _ : state) {
        const auto plan = client::planFill(white.picture(), {266, 184}, protocol::kBlack);
        if (!plan) {
            state.SkipWithError("the whole board was not filled");
            return;
        }
        lines = client::strokeLines(*plan).size();
    }
    state.counters["fill_lines"] = static_cast<double>(lines);
    if (lines > client::kMaxFillLines)
        state.SkipWithError("the fill takes more than 400 lines");
}
BENCHMARK(BM_WholeBoardFillPlan)->Unit(benchmark::kMillisecond);

// White rows and, between them, rows of a checkerboard of 1-pixel cells: an area of about
// 49,000 runs, tens of thousands of lines.
void BM_IntricateFillRefused(benchmark::State& state)
{
    QImage image(client::BoardPicture::kWidth, client::BoardPicture::kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 1; y < image.height(); y += 2)
        for (int x = (y / 2) % 2; x < image.width(); x += 2)
            image.setPixel(x, y, qRgb(0, 0, 0));
    for (auto _ : state) {
        if (client::planFill(image, {0, 0}, protocol::kBlack)) {
            state.SkipWithError("the intricate fill was not refused");
            return;
        }
    }
}
BENCHMARK(BM_IntricateFillRefused)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
