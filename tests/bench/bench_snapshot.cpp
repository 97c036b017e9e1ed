// What saving a snapshot of the board costs the GUI thread: a drawn board of the game's size
// encoded as JPEG and written to a file, renamed into place as the game does it. The target
// is a median under 3 ms, so the click on the snapshot button feels instant.
#include "media/jpegwriter.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// White, with a few dozen freehand strokes in the palette's colours and widths, and a caption
// (text gives the encoder the sharp edges that cost it most).
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
    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
    painter.drawText(QRect(0, 330, 533, 36), Qt::AlignCenter,
                     QStringLiteral("Round 3: a bicycle, drawn by Quill"));
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
    ->UseRealTime()
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

// For comparison: a snapshot's bytes saved the same way (QSaveFile, which syncs the data to
// the disk before the rename) without encoding, the share of the cost that the disk sets.
void BM_SaveSnapshotBytesOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!dir.isValid() || media::writeJpeg(drawnBoard(), dir.filePath(QStringLiteral("a.jpg")))) {
        state.SkipWithError("no snapshot to copy");
        return;
    }
    QFile encoded(dir.filePath(QStringLiteral("a.jpg")));
    if (!encoded.open(QIODevice::ReadOnly)) {
        state.SkipWithError("the snapshot cannot be read back");
        return;
    }
    const QByteArray bytes = encoded.readAll();
    const QString path = dir.filePath(QStringLiteral("b.jpg"));
    for (auto _ : state) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            state.SkipWithError("the bytes could not be saved");
            return;
        }
    }
}
BENCHMARK(BM_SaveSnapshotBytesOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace
