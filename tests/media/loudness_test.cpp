// The clips play at one loudness: every one at a sample rate and depth that carry it, and
// measured by ITU-R BS.1770 (EBU R128) within 2 LU of the others, so no cue is lost beside
// a louder one. tools/make-sounds measures them the same way.
#include "media/clip.h"

#include "clipnames.h"

#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double operator()(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// BS.1770's K-weighting, a high shelf and a high-pass, taken from their analogue prototypes
// to the clip's own rate by the bilinear transform (at 48 kHz these are the standard's
// coefficients).
std::vector<Biquad> kWeighting(int rate)
{
    double k = std::tan(kPi * 1681.974450955533 / rate), q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20), vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1 + k / q + k * k;
    const Biquad shelf{(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0,
                       (vh - vb * k / q + k * k) / a0, 2 * (k * k - 1) / a0,
                       (1 - k / q + k * k) / a0};
    k = std::tan(kPi * 38.13547087602444 / rate), q = 0.5003270373238773;
    a0 = 1 + k / q + k * k;
    return {shelf, Biquad{1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0}};
}

// Integrated loudness in LUFS: 400 ms blocks every 100 ms, gated at -70 LUFS and then 10 LU
// below the mean of what passed. A clip shorter than one block is measured padded with
// silence to 400 ms, as the tool does; -70 for a clip with nothing above the gate.
double integratedLoudness(const media::Clip& clip)
{
    const qsizetype block = qsizetype(clip.sampleRate) * 4 / 10, step = clip.sampleRate / 10;
    const qsizetype frames = std::max(clip.frames, block);
    std::vector<double> energy(size_t(frames) + 1, 0.0); // running sum of squares
    for (int c = 0; c < clip.channels; ++c) {
        std::vector<Biquad> filters = kWeighting(clip.sampleRate);
        double sum = 0;
        for (qsizetype i = 0; i < frames; ++i) {
            double x = 0;
            if (i < clip.frames)
                x = qFromLittleEndian<qint16>(clip.pcm16.constData() +
                                              2 * (i * clip.channels + c)) /
                    32768.0;
            const double y = filters[1](filters[0](x));
            sum += y * y;
            energy[size_t(i) + 1] += sum;
        }
    }
    const auto lufs = [](double meanSquare) {
        return -0.691 + 10 * std::log10(meanSquare);
    };
    std::vector<double> blocks;
    for (qsizetype end = block; end <= frames; end += step)
        blocks.push_back((energy[size_t(end)] - energy[size_t(end - block)]) / double(block));
    const auto gatedMean = [&](double gate) {
        double sum = 0;
        int n = 0;
        for (double z : blocks)
            if (z > 0 && lufs(z) > gate)
                sum += z, ++n;
        return n ? sum / n : 0.0;
    };
    const double ungated = gatedMean(-70);
    return ungated > 0 ? std::max(-70.0, lufs(gatedMean(lufs(ungated) - 10))) : -70.0;
}

media::Clip sine(int rate, double hz, double seconds)
{
    media::Clip clip{rate, 1, qsizetype(rate * seconds), {}};
    clip.pcm16.resize(clip.frames * 2);
    for (qsizetype i = 0; i < clip.frames; ++i)
        qToLittleEndian(qint16(std::lround(32767 * std::sin(2 * kPi * hz * double(i) / rate))),
                        clip.pcm16.data() + 2 * i);
    return clip;
}

TEST(Loudness, TheMeterReadsTheStandardsReferenceTone)
{
    // A full-scale 997 Hz sine reads -3.01 LUFS at every rate; 20 Hz is cut by the high-pass
    // and 8 kHz raised by the shelf, as ffmpeg's ebur128 reads them at 48 kHz. A clip shorter
    // than a block counts as padded to 400 ms: a quarter of that is 6 dB less.
    for (const int rate : {22050, 24000, 44100, 48000}) {
        SCOPED_TRACE(rate);
        EXPECT_NEAR(integratedLoudness(sine(rate, 997, 2.0)), -3.01, 0.05);
        EXPECT_NEAR(integratedLoudness(sine(rate, 20, 2.0)), -17.0, 0.1);
        EXPECT_NEAR(integratedLoudness(sine(rate, 8000, 2.0)), 0.35, 0.1);
        EXPECT_NEAR(integratedLoudness(sine(rate, 997, 0.1)), -3.01 - 6.02, 0.1);
    }
}

TEST(Loudness, EveryClipIsSixteenBitsAtLeast22kHzAndAllAreEquallyLoud)
{
    double quietest = HUGE_VAL, loudest = -HUGE_VAL;
    QByteArray quietestName, loudestName;
    for (const QByteArray& name : cliptest::clipNames()) {
        SCOPED_TRACE(name.constData());
        const QByteArray bytes = media::clipBytes(name);
        QTemporaryFile file;
        ASSERT_TRUE(file.open());
        ASSERT_EQ(file.write(bytes), bytes.size());
        ASSERT_TRUE(file.flush());
        SF_INFO info{};
        SNDFILE* sound = sf_open(file.fileName().toLocal8Bit().constData(), SFM_READ, &info);
        ASSERT_TRUE(sound) << sf_strerror(nullptr);
        sf_close(sound);
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        if (subtype != SF_FORMAT_MPEG_LAYER_III) {
            EXPECT_EQ(subtype, SF_FORMAT_PCM_16);
        }
        EXPECT_GE(info.samplerate, 22050);

        const std::optional<media::Clip> clip = media::loadClip(name);
        ASSERT_TRUE(clip);
        const double loudness = integratedLoudness(*clip);
        if (loudness < quietest)
            quietest = loudness, quietestName = name;
        if (loudness > loudest)
            loudest = loudness, loudestName = name;
    }
    EXPECT_LE(loudest - quietest, 2.0) << loudestName.constData() << " at " << loudest << " LUFS, "
                                       << quietestName.constData() << " at " << quietest << " LUFS";
    // Equal but silent would be no better.
    EXPECT_GT(quietest, -26.0) << quietestName.constData();
}

} // namespace
