// What saving a snapshot of the board costs the GUI thread: a drawn board of the game's size
// encoded as JPEG and written to a file, renamed into place as the game does it. The target
// is a median under 3 ms, so the click on the snapshot button feels instant.
#include "media/jpegwriter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// White, with a few dozen freehand strokes in the palette's colours and widths.
QImage drawnBoard()
{
    QImage board(533, 369, QImage::Format_RGB32);
    board.fill(Qt::white);
    QPainter painter(&board);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QRandomGenerator random(11);
    const QColor colours[] = {Qt::black, Qt::red, Qt::blue, Qt::darkGreen, QColor(255, 160, 0)};
    for (int stroke = 0; stroke < 40; ++stroke) {
        painter.setPen(QPen(colours[stroke % 5], 1 + stroke % 4, Qt::SolidLine, Qt::RoundCap));
        QPoint at(random.bounded(533), random.bounded(369));
        for (int step = 0; step < 30; ++step) {
            const QPoint next = at + QPoint(random.bounded(-12, 13), random.bounded(-12, 13));
            painter.drawLine(at, next);
            at = next;
        }
    }
    return board;
}

void BM_SaveBoardSnapshot(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const QImage board = drawnBoard();
    const QString path = dir.filePath(QStringLiteral("snapshot.jpg"));
    for (auto _ : state) {
        if (const std::optional<QString> error = media::writeJpeg(board, path)) {
            state.SkipWithError(error->toStdString().c_str());
            return;
        }
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_SaveBoardSnapshot)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
