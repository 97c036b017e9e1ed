// A clip brought to a format an output will take: it lasts as long, keeps its shape, and its
// samples land on the scale of the output's sample type.
#include "media/clipconvert.h"

#include <QtEndian>

#include <cstring>
#include <gtest/gtest.h>

namespace {

media::Clip makeClip(int sampleRate, int channels, const QList<qint16>& samples)
{
    media::Clip clip;
    clip.sampleRate = sampleRate;
    clip.channels = channels;
    clip.frames = samples.size() / channels;
    for (const qint16 sample : samples) {
        char bytes[2];
        qToLittleEndian(sample, bytes);
        clip.pcm16.append(bytes, 2);
    }
    return clip;
}

QAudioFormat format(int sampleRate, int channels, QAudioFormat::SampleFormat sampleFormat)
{
    QAudioFormat f;
    f.setSampleRate(sampleRate);
    f.setChannelCount(channels);
    f.setSampleFormat(sampleFormat);
    return f;
}

template <typename T> QList<T> read(const QByteArray& bytes)
{
    QList<T> values(bytes.size() / qsizetype(sizeof(T)));
    std::memcpy(values.data(), bytes.constData(), size_t(values.size()) * sizeof(T));
    return values;
}

TEST(ConvertClip, RaisingTheRateFillsInBetweenAndMonoGoesToBothSides)
{
    const media::Clip mono = makeClip(8000, 1, {0, 1000, -2000, 3000});
    const QByteArray out = media::convertClip(mono, format(16000, 2, QAudioFormat::Int16));
    EXPECT_EQ(read<qint16>(out), (QList<qint16>{0, 0, 500, 500, 1000, 1000, -500, -500, -2000,
                                                -2000, 500, 500, 3000, 3000, 3000, 3000}));
}

TEST(ConvertClip, ChangingTheRateKeepsTheLength)
{
    const media::Clip clip = makeClip(22050, 1, QList<qint16>(22050, 100));
    for (const int rate : {8000, 44100, 48000, 96000}) {
        SCOPED_TRACE(rate);
        const QByteArray out = media::convertClip(clip, format(rate, 1, QAudioFormat::Int16));
        EXPECT_EQ(out.size(), rate * 2);
        EXPECT_EQ(read<qint16>(out), QList<qint16>(rate, 100));
    }
}

TEST(ConvertClip, StereoFoldsToMonoOnTheScaleOfEachSampleType)
{
    const media::Clip stereo = makeClip(8000, 2, {-32768, -32768, 32767, 32767, 1000, 3000, 0, 0});
    EXPECT_EQ(read<quint8>(media::convertClip(stereo, format(8000, 1, QAudioFormat::UInt8))),
              (QList<quint8>{0, 255, 136, 128}));
    EXPECT_EQ(read<qint32>(media::convertClip(stereo, format(8000, 1, QAudioFormat::Int32))),
              (QList<qint32>{-2147483647 - 1, 2147418112, 131072000, 0}));
    EXPECT_EQ(read<float>(media::convertClip(stereo, format(8000, 1, QAudioFormat::Float))),
              (QList<float>{-1.0f, 32767.0f / 32768.0f, 2000.0f / 32768.0f, 0.0f}));
    // Left stays left on an output with more channels; the ones the clip lacks are silent.
    EXPECT_EQ(read<qint16>(media::convertClip(stereo, format(8000, 3, QAudioFormat::Int16))),
              (QList<qint16>{-32768, -32768, 0, 32767, 32767, 0, 1000, 3000, 0, 0, 0, 0}));
}

TEST(ConvertClip, NothingForAFormatNoOutputCouldPlayOrAClipWithoutSound)
{
    const media::Clip clip = makeClip(8000, 1, {1, 2, 3});
    EXPECT_TRUE(media::convertClip(clip, QAudioFormat()).isEmpty());
    EXPECT_TRUE(media::convertClip(clip, format(8000, 1, QAudioFormat::Unknown)).isEmpty());
    EXPECT_TRUE(media::convertClip(clip, format(0, 1, QAudioFormat::Int16)).isEmpty());
    EXPECT_TRUE(media::convertClip(media::Clip(), format(8000, 1, QAudioFormat::Int16)).isEmpty());
    // A clip claiming more frames than it has samples for is not read past its end.
    media::Clip liar = clip;
    liar.frames = 1000;
    EXPECT_TRUE(media::convertClip(liar, format(8000, 1, QAudioFormat::Int16)).isEmpty());
}

} // namespace
