// The end of a game: its album composed (a contact sheet of every turn's board with captions)
// and saved as a folder of PNG and JPEG files, for 20 turns; the target is under 1 s for the
// whole save, as the player waits for it. And time-lapses encoded as animated WebP, in
// milliseconds per frame: a drawing of 100 strokes, one more in each frame, and 20 unrelated
// boards, where no frame is a small change (the target is about 30 ms per frame or less).
#include "media/albumfolder.h"
#include "media/albumsheet.h"
#include "media/animatedwebp.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

constexpr QSize kBoard(533, 369);

// One freehand stroke of 30 steps, in one of the palette's colours and widths.
void drawStroke(QPainter& painter, QRandomGenerator& random, int index)
{
    static const QColor colours[] = {Qt::black, Qt::red, Qt::blue, Qt::darkGreen,
                                     QColor(255, 160, 0)};
    painter.setPen(QPen(colours[index % 5], 1 + index % 4, Qt::SolidLine, Qt::RoundCap));
    QPoint at(random.bounded(kBoard.width()), random.bounded(kBoard.height()));
    for (int step = 0; step < 30; ++step) {
        const QPoint next = at + QPoint(random.bounded(-12, 13), random.bounded(-12, 13));
        painter.drawLine(at, next);
        at = next;
    }
}

// A finished board: white with 40 strokes.
QImage drawnBoard(quint32 seed)
{
    QImage board(kBoard, QImage::Format_RGB32);
    board.fill(Qt::white);
    QPainter painter(&board);
    QRandomGenerator random(seed);
    for (int stroke = 0; stroke < 40; ++stroke)
        drawStroke(painter, random, stroke);
    return board;
}

// A board as it is drawn: one stroke more in each frame.
std::vector<QImage> timelapse(int frames)
{
    std::vector<QImage> shots;
    QImage board(kBoard, QImage::Format_RGB32);
    board.fill(Qt::white);
    QRandomGenerator random(5);
    for (int frame = 0; frame < frames; ++frame) {
        QPainter painter(&board);
        drawStroke(painter, random, frame);
        painter.end();
        shots.push_back(board.copy());
    }
    return shots;
}

qint64 folderBytes(const QString& path)
{
    qint64 bytes = 0;
    for (QDirIterator files(path, QDir::Files); files.hasNext();)
        bytes += QFileInfo(files.next()).size();
    return bytes;
}

void BM_SaveAlbumOf20Turns(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::vector<QImage> boards;
    std::vector<media::SheetEntry> entries;
    for (int turn = 1; turn <= 20; ++turn) {
        boards.push_back(drawnBoard(static_cast<quint32>(turn)));
        entries.push_back({boards.back(),
                           {QStringLiteral("Turn %1: a bicycle with a basket").arg(turn),
                            QStringLiteral("drawn by Quill, guessed by 5 of 7 players")}});
    }
    double totalMs = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const QImage sheet =
            media::composeContactSheet(QStringLiteral("Saturday night, 20 turns"), entries);
        const media::AlbumWriteResult saved =
            media::writeAlbumFolder(dir.path(), QStringLiteral("Album"), sheet, boards);
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (saved.error) {
            state.SkipWithError(saved.error->toStdString().c_str());
            return;
        }
        state.PauseTiming();
        bytes = folderBytes(saved.folder);
        QDir(saved.folder).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["save_ms"] = totalMs / double(state.iterations());
    state.counters["bytes"] = double(bytes);
    state.SetLabel("target: save_ms under 1000");
}
BENCHMARK(BM_SaveAlbumOf20Turns)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Mean real time of encoding `frames` (100 ms each) into a file, in ms; 0 after an error.
double encodeMs(benchmark::State& state, const std::vector<QImage>& frames, const QString& path)
{
    double totalMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        media::AnimatedWebpWriter writer(kBoard);
        for (const QImage& frame : frames) {
            if (!writer.addFrame(frame, 100)) {
                state.SkipWithError(writer.error().toStdString().c_str());
                return 0;
            }
        }
        if (const std::optional<QString> error = writer.finish(path)) {
            state.SkipWithError(error->toStdString().c_str());
            return 0;
        }
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
    return totalMs / double(state.iterations());
}

void BM_EncodeTimelapseOf100Frames(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::vector<QImage> frames = timelapse(100);
    const QString path = dir.filePath(QStringLiteral("timelapse.webp"));
    state.counters["ms_per_frame"] = encodeMs(state, frames, path) / 100.0;
    state.counters["bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_EncodeTimelapseOf100Frames)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The worst case for the encoder: every frame another finished board, so no frame is cropped
// to a small change. The target of about 30 ms per frame is for this case.
void BM_EncodeWholeBoards(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::vector<QImage> frames;
    for (quint32 seed = 1; seed <= 20; ++seed)
        frames.push_back(drawnBoard(seed));
    const QString path = dir.filePath(QStringLiteral("boards.webp"));
    state.counters["ms_per_frame"] = encodeMs(state, frames, path) / double(frames.size());
    state.counters["bytes"] = double(QFileInfo(path).size());
    state.SetLabel("target: ms_per_frame about 30 or less");
}
BENCHMARK(BM_EncodeWholeBoards)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
