#include "media/animatedwebp.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <webp/encode.h>
#include <webp/mux.h>

namespace media {

namespace {

constexpr int kShortestFrameMs = 20;
constexpr int kLongestFrameMs = 60000;

// The frames are drawings: flat colours on white, which lossless coding keeps small at any
// effort. Preset 0 (method 0, quality 0) skips the searches of the higher presets: a whole
// 533x369 board of 40 strokes took about 9 ms and 14 KB on a 2-core machine, against 26 ms and
// 12.5 KB at preset 1 and 31 ms and 11.7 KB at preset 2. Most frames are small sub-frames
// anyway: the anim encoder crops each frame to what changed since the one before.
constexpr int kLosslessPreset = 0;

// A key frame (the whole canvas, decodable without the frames before it) every 50 frames, so a
// player seeking into a long time-lapse decodes a bounded run of frames. kmin just below kmax:
// from kmin on the encoder also encodes every frame whole to compare, which at kmin 9, kmax 17
// made a time-lapse of strokes nearly three times as slow and, with key frames that often, more
// than three times as big.
constexpr int kKeyFrameMin = 49;
constexpr int kKeyFrameMax = 50;

} // namespace

void AnimatedWebpWriter::EncoderDeleter::operator()(WebPAnimEncoder* encoder) const
{
    WebPAnimEncoderDelete(encoder);
}

AnimatedWebpWriter::AnimatedWebpWriter(QSize canvas) : m_canvas(canvas)
{
    WebPAnimEncoderOptions options;
    if (WebPAnimEncoderOptionsInit(&options)) {
        options.anim_params.bgcolor = 0xffffffff; // white, as a board
        options.anim_params.loop_count = 0;       // forever
        options.minimize_size = 0;                // it would encode every frame many ways
        options.allow_mixed = 0;                  // lossless throughout
        options.kmin = kKeyFrameMin;
        options.kmax = kKeyFrameMax;
        if (!canvas.isEmpty())
            m_encoder.reset(WebPAnimEncoderNew(canvas.width(), canvas.height(), &options));
    }
    if (!m_encoder) {
        m_spoiled = true;
        m_error = QStringLiteral("an animation of %1x%2 pixels cannot be encoded")
                      .arg(canvas.width())
                      .arg(canvas.height());
    }
}

AnimatedWebpWriter::~AnimatedWebpWriter() = default;

bool AnimatedWebpWriter::addFrame(const QImage& frame, int durationMs)
{
    if (m_spoiled)
        return false;
    if (!m_encoder) {
        m_error = QStringLiteral("the animation is finished already");
        return false;
    }
    if (frame.size() != m_canvas) {
        m_error = QStringLiteral("the frame is %1x%2 pixels, the animation %3x%4")
                      .arg(frame.width())
                      .arg(frame.height())
                      .arg(m_canvas.width())
                      .arg(m_canvas.height());
        return false;
    }
    const int duration = std::clamp(durationMs, kShortestFrameMs, kLongestFrameMs);
    if (m_endMs > INT_MAX - duration) {
        m_error = QStringLiteral("the animation would last too long");
        return false;
    }
    // Format_RGB32 is 0xffRRGGBB in native order, which is WebP's ARGB layout, so the encoder
    // reads our pixels in place. Our own copy: the encoder is allowed to write into its input.
    QImage pixels = frame.convertToFormat(QImage::Format_RGB32);
    uchar* bits = pixels.bits(); // detaches from the caller's image
    if (!bits) {
        m_error = QStringLiteral("out of memory");
        return false;
    }

    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, kLosslessPreset) ||
        !WebPPictureInit(&picture)) {
        m_error = QStringLiteral("the WebP library does not match its headers");
        m_spoiled = true;
        return false;
    }
    picture.use_argb = 1;
    picture.width = pixels.width();
    picture.height = pixels.height();
    picture.argb = reinterpret_cast<uint32_t*>(bits);
    picture.argb_stride = static_cast<int>(pixels.bytesPerLine() / 4);
    const bool added = WebPAnimEncoderAdd(m_encoder.get(), &picture, m_endMs, &config);
    WebPPictureFree(&picture); // frees only what the encoder may have allocated into it
    if (!added) {
        m_error = QString::fromUtf8(WebPAnimEncoderGetError(m_encoder.get()));
        m_spoiled = true;
        return false;
    }
    m_endMs += duration;
    ++m_frames;
    return true;
}

std::optional<QString> AnimatedWebpWriter::finish(const QString& path)
{
    const auto failed = [&](const QString& why) {
        m_error = QStringLiteral("Cannot save the time-lapse to %1: %2")
                      .arg(QDir::toNativeSeparators(path), why);
        return m_error;
    };
    if (m_file.isEmpty()) {
        if (m_spoiled)
            return failed(m_error);
        if (m_frames == 0)
            return failed(QStringLiteral("it has no frames"));
        // The closing call gives the last frame its duration.
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAdd(m_encoder.get(), nullptr, m_endMs, nullptr) ||
            !WebPAnimEncoderAssemble(m_encoder.get(), &data)) {
            m_spoiled = true;
            return failed(QString::fromUtf8(WebPAnimEncoderGetError(m_encoder.get())));
        }
        m_file = QByteArray(reinterpret_cast<const char*>(data.bytes),
                            static_cast<qsizetype>(data.size));
        WebPDataClear(&data);
        m_encoder.reset();
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_file) != m_file.size() || !file.commit())
        return failed(file.errorString());
    m_error.clear();
    return std::nullopt;
}

} // namespace media
