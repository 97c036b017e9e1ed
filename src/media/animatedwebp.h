#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

struct WebPAnimEncoder;

namespace media {

// Encodes a time-lapse as an animated WebP, lossless, so every frame decodes to exactly the
// pixels given. The canvas is opaque (Format_RGB32): an alpha channel in a frame is dropped.
// Uses no GUI objects, so a worker thread may drive it; one writer belongs to one thread.
class AnimatedWebpWriter {
public:
    explicit AnimatedWebpWriter(QSize canvas);
    ~AnimatedWebpWriter();
    AnimatedWebpWriter(const AnimatedWebpWriter&) = delete;
    AnimatedWebpWriter& operator=(const AnimatedWebpWriter&) = delete;

    // Adds a frame shown for durationMs (clamped to 20..60000 ms); the image is converted to
    // the canvas format, a frame of another size is refused. Returns false with error() set on
    // failure. A frame the encoder fails on spoils the animation: later calls fail as well.
    bool addFrame(const QImage& frame, int durationMs);
    int frameCount() const { return m_frames; }

    // Writes the animation whole or not at all (QSaveFile); nothing on success, otherwise why
    // it failed with the path. No frames is an error too. The first call closes the animation;
    // after a failed write it may be written again, to another path, without encoding anew.
    std::optional<QString> finish(const QString& path);
    QString error() const { return m_error; }

private:
    struct EncoderDeleter {
        void operator()(WebPAnimEncoder* encoder) const;
    };

    QSize m_canvas;
    std::unique_ptr<WebPAnimEncoder, EncoderDeleter> m_encoder;
    int m_frames = 0;
    int m_endMs = 0;        // where the next frame starts: the sum of the durations so far
    QByteArray m_file;      // the assembled animation, once finish() closed it
    bool m_spoiled = false; // the encoder failed; nothing more can be added or written
    QString m_error;
};

} // namespace media
