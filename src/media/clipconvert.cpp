#include "media/clipconvert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace media {

namespace {

// One input sample in [-1, 1), for output channel `channel` of `outChannels`.
float inputSample(const Clip& clip, const qint16* samples, qsizetype frame, int channel,
                  int outChannels)
{
    const qint16* at = samples + frame * clip.channels;
    if (outChannels == 1 && clip.channels > 1) {
        int sum = 0;
        for (int c = 0; c < clip.channels; ++c)
            sum += at[c];
        return float(sum) / float(clip.channels) / 32768.0f;
    }
    if (clip.channels == 1)
        return float(at[0]) / 32768.0f;
    return channel < clip.channels ? float(at[channel]) / 32768.0f : 0.0f;
}

template <typename T> void put(char*& to, T value)
{
    std::memcpy(to, &value, sizeof value);
    to += sizeof value;
}

void writeSample(char*& to, QAudioFormat::SampleFormat format, float value)
{
    const double v = std::clamp(double(value), -1.0, 1.0);
    switch (format) {
    case QAudioFormat::UInt8:
        put(to, quint8(std::clamp(std::lround(v * 128.0) + 128, 0L, 255L)));
        break;
    case QAudioFormat::Int16:
        put(to, qint16(std::clamp(std::lround(v * 32768.0), -32768L, 32767L)));
        break;
    case QAudioFormat::Int32:
        put(to, qint32(std::clamp(std::llround(v * 2147483648.0), -2147483648LL, 2147483647LL)));
        break;
    case QAudioFormat::Float:
        put(to, float(v));
        break;
    case QAudioFormat::Unknown:
    case QAudioFormat::NSampleFormats:
        break;
    }
}

} // namespace

QByteArray convertClip(const Clip& clip, const QAudioFormat& format)
{
    const int outRate = format.sampleRate();
    const int outChannels = format.channelCount();
    if (!format.isValid() || outRate <= 0 || outChannels <= 0 ||
        format.sampleFormat() == QAudioFormat::Unknown || clip.frames <= 0 || clip.channels <= 0 ||
        clip.sampleRate <= 0 ||
        clip.pcm16.size() < clip.frames * clip.channels * qsizetype(sizeof(qint16)))
        return {};

    const qsizetype outFrames = std::max<qsizetype>(
        1, qsizetype(std::llround(double(clip.frames) * outRate / clip.sampleRate)));
    QByteArray out(outFrames * format.bytesPerFrame(), Qt::Uninitialized);
    char* to = out.data();
    // 16-bit samples at even offsets of the byte array's storage.
    const auto* samples = reinterpret_cast<const qint16*>(clip.pcm16.constData());
    const double step = double(clip.sampleRate) / outRate;
    const QAudioFormat::SampleFormat sampleFormat = format.sampleFormat();
    for (qsizetype f = 0; f < outFrames; ++f) {
        const double position = double(f) * step;
        const qsizetype before = std::min<qsizetype>(qsizetype(position), clip.frames - 1);
        const qsizetype after = std::min<qsizetype>(before + 1, clip.frames - 1);
        const auto weight = float(position - double(before));
        for (int c = 0; c < outChannels; ++c) {
            const float a = inputSample(clip, samples, before, c, outChannels);
            const float b = inputSample(clip, samples, after, c, outChannels);
            writeSample(to, sampleFormat, a + (b - a) * weight);
        }
    }
    return out;
}

} // namespace media
