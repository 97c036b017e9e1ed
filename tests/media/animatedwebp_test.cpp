// Time-lapses: what a viewer decodes from the file (every pixel and every frame's time as
// given), and what a refused frame or a failed save leaves: the rest intact, no file.
#include "media/animatedwebp.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>
#include <webp/demux.h>

namespace {

constexpr QSize kBoard(533, 369);

// A drawing as it grows: antialiased strokes in several colours, one more in each frame, so
// every frame differs from the one before in a small part, and blended edge colours test that
// the coding is lossless. Alternately handed over as an opaque ARGB picture.
std::vector<QImage> growingDrawing(int frames)
{
    std::vector<QImage> shots;
    QImage board(kBoard, QImage::Format_RGB32);
    board.fill(Qt::white);
    for (int i = 0; i < frames; ++i) {
        QPainter painter(&board);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor::fromHsv(i * 37 % 360, 200, 180), 1 + i % 5));
        painter.drawLine(10 + i * 8, 20 + i * 5 % 300, 200 + i * 5, 360 - i * 3);
        painter.end();
        shots.push_back(board.convertToFormat(i % 2 ? QImage::Format_ARGB32_Premultiplied
                                                    : QImage::Format_RGB32));
    }
    return shots;
}

struct Decoded {
    std::vector<QImage> frames;
    std::vector<int> endsMs; // when each frame gives way to the next, from the start
    int cropped = 0;         // frames stored as less than the whole canvas
};

Decoded decode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()),
                        static_cast<size_t>(bytes.size())};
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return {};
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder)
        return {};
    const auto release = qScopeGuard([decoder] { WebPAnimDecoderDelete(decoder); });
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(decoder, &info) || int(info.canvas_width) != kBoard.width() ||
        int(info.canvas_height) != kBoard.height())
        return {};
    Decoded decoded;
    uint8_t* pixels = nullptr;
    int endMs = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder) &&
           WebPAnimDecoderGetNext(decoder, &pixels, &endMs)) {
        decoded.frames.push_back(
            QImage(pixels, kBoard.width(), kBoard.height(), QImage::Format_RGBA8888)
                .convertToFormat(QImage::Format_RGB32));
        decoded.endsMs.push_back(endMs);
    }
    WebPIterator frame;
    const WebPDemuxer* demuxer = WebPAnimDecoderGetDemuxer(decoder);
    for (int n = 1; WebPDemuxGetFrame(demuxer, n, &frame); ++n) {
        decoded.cropped += frame.width * frame.height < kBoard.width() * kBoard.height();
        WebPDemuxReleaseIterator(&frame);
    }
    return decoded;
}

TEST(AnimatedWebp, EveryFrameDecodesToItsPixelsAtItsTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<QImage> frames = growingDrawing(60); // past the first key frame after 1
    const int durations[] = {100, 5, 250, 100000, 40};     // 5 and 100000 are clamped
    media::AnimatedWebpWriter writer(kBoard);
    std::vector<int> wantEnds;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const int duration = durations[i % 5];
        ASSERT_TRUE(writer.addFrame(frames[i], duration)) << writer.error().toStdString();
        wantEnds.push_back((wantEnds.empty() ? 0 : wantEnds.back()) +
                           std::clamp(duration, 20, 60000));
        if (i == 30) {
            SCOPED_TRACE("a frame of another size is refused, and spoils nothing");
            EXPECT_FALSE(writer.addFrame(frames[i].copy(0, 0, 532, 369), 100));
            EXPECT_TRUE(writer.error().contains(QStringLiteral("532x369")))
                << writer.error().toStdString();
        }
    }
    EXPECT_EQ(writer.frameCount(), 60);
    const QString path = dir.filePath(QStringLiteral("turn.webp"));
    const std::optional<QString> error = writer.finish(path);
    ASSERT_FALSE(error) << error->toStdString();

    const Decoded decoded = decode(path);
    ASSERT_EQ(decoded.frames.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(decoded.frames[i], frames[i].convertToFormat(QImage::Format_RGB32))
            << "frame " << i;
    }
    EXPECT_EQ(decoded.endsMs, wantEnds);
    // One stroke more is stored as the rectangle around it, not as the whole board.
    EXPECT_GE(decoded.cropped, 55);
}

TEST(AnimatedWebp, FailedSaveNamesThePathLeavesNoFileAndCanBeRetried)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString nowhere = dir.filePath(QStringLiteral("missing/turn.webp"));
    const QString underAFile = dir.filePath(QStringLiteral("note.txt/turn.webp"));
    QFile note(dir.filePath(QStringLiteral("note.txt")));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.close();

    {
        SCOPED_TRACE("no frames");
        media::AnimatedWebpWriter writer(kBoard);
        const std::optional<QString> error =
            writer.finish(dir.filePath(QStringLiteral("empty.webp")));
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->contains(dir.filePath(QStringLiteral("empty.webp"))));
    }
    {
        SCOPED_TRACE("no canvas");
        media::AnimatedWebpWriter writer{QSize()};
        EXPECT_FALSE(writer.addFrame(QImage(), 100));
        EXPECT_TRUE(writer.finish(dir.filePath(QStringLiteral("empty.webp"))));
    }
    media::AnimatedWebpWriter writer(kBoard);
    const std::vector<QImage> frames = growingDrawing(3);
    for (const QImage& frame : frames)
        ASSERT_TRUE(writer.addFrame(frame, 100));
    for (const QString& path : {nowhere, underAFile}) {
        const std::optional<QString> error = writer.finish(path);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->contains(QDir::toNativeSeparators(path))) << error->toStdString();
        EXPECT_EQ(writer.error(), *error);
    }
    if (geteuid() != 0) { // root writes into read-only folders all the same
        const QString locked = dir.filePath(QStringLiteral("locked"));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        const std::optional<QString> error = writer.finish(locked + QStringLiteral("/t.webp"));
        ASSERT_TRUE(error);
        EXPECT_TRUE(QDir(locked).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(locked).removeRecursively();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("note.txt")});

    // The animation is kept: saved elsewhere, it is whole.
    const QString path = dir.filePath(QStringLiteral("turn.webp"));
    ASSERT_FALSE(writer.finish(path));
    EXPECT_FALSE(writer.addFrame(frames[0], 100)); // closed
    const Decoded decoded = decode(path);
    ASSERT_EQ(decoded.frames.size(), 3u);
    EXPECT_EQ(decoded.frames[2], frames[2].convertToFormat(QImage::Format_RGB32));
}

} // namespace
