// The game's clips as compiled in: each one there under its name, in the format it was made
// in, decoding to all of its sound; and what a damaged or cut-off file gives instead.
#include "media/clip.h"

#include "clipnames.h"
#include "wavefile.h"

#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using cliptest::clipNames;

namespace {

const QSet<QByteArray> kMpegClips = {"wave6", "wave15", "wave16", "wave17", "wave20"};
constexpr quint16 kPcm = 0x0001;
constexpr quint16 kMpegLayer3 = 0x0055;

int peak(const media::Clip& clip)
{
    int loudest = 0;
    for (qsizetype i = 0; i + 1 < clip.pcm16.size(); i += 2)
        loudest =
            std::max(loudest, std::abs(int(qFromLittleEndian<qint16>(clip.pcm16.constData() + i))));
    return loudest;
}

QList<qint16> samples(const media::Clip& clip)
{
    QList<qint16> out;
    for (qsizetype i = 0; i + 1 < clip.pcm16.size(); i += 2)
        out << qFromLittleEndian<qint16>(clip.pcm16.constData() + i);
    return out;
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

TEST(Clips, EveryClipIsThereInTheFormatItWasMadeIn)
{
    for (const QByteArray& name : clipNames()) {
        SCOPED_TRACE(name.constData());
        const QByteArray bytes = media::clipBytes(name);
        ASSERT_FALSE(bytes.isEmpty());
        const std::optional<wavefile::Header> header = wavefile::readHeader(bytes);
        ASSERT_TRUE(header);
        EXPECT_GE(header->sampleRate, 22050);
        EXPECT_LE(header->sampleRate, 24000);
        EXPECT_TRUE(header->channels == 1 || header->channels == 2) << header->channels;
        if (kMpegClips.contains(name)) {
            EXPECT_EQ(header->formatTag, kMpegLayer3);
            EXPECT_GT(header->factFrames, 0);
        } else {
            EXPECT_EQ(header->formatTag, kPcm);
            EXPECT_EQ(header->bitsPerSample, 16);
        }
    }
}

TEST(Clips, EveryClipDecodesToAllOfItsSound)
{
    for (const QByteArray& name : clipNames()) {
        SCOPED_TRACE(name.constData());
        QString error;
        const std::optional<media::Clip> clip = media::loadClip(name, &error);
        ASSERT_TRUE(clip) << error.toStdString();
        const std::optional<wavefile::Header> header = wavefile::readHeader(media::clipBytes(name));
        ASSERT_TRUE(header);
        EXPECT_EQ(clip->sampleRate, header->sampleRate);
        EXPECT_EQ(clip->channels, header->channels);
        EXPECT_EQ(clip->pcm16.size(), clip->frames * clip->channels * 2);
        EXPECT_GE(clip->seconds(), 0.25);
        EXPECT_LE(clip->seconds(), 5.0);
        if (header->formatTag == kMpegLayer3) {
            // The encoder's padding may add up to one MPEG frame, but no more.
            EXPECT_NEAR(double(clip->frames), double(header->factFrames), 1152.0);
        } else {
            EXPECT_EQ(clip->frames, header->dataBytes / header->blockAlign);
        }
        // Every clip is made at one loudness, which puts its peaks between -14 dBFS (the dense
        // square waves of the Actions jingle) and just under full scale: one that decodes to a
        // murmur lost its sound, one that reaches full scale was clipped.
        EXPECT_GT(peak(*clip), 5000);
        EXPECT_LT(peak(*clip), 32767);
    }
}

TEST(Clips, NamesAreFoundWhateverTheirCaseAndNothingElseIs)
{
    for (const QByteArray name : {"TURN", "Cat3", "wAVE7", "WAVE20"}) {
        SCOPED_TRACE(name.constData());
        const std::optional<media::Clip> asked = media::loadClip(name);
        const std::optional<media::Clip> lower = media::loadClip(name.toLower());
        ASSERT_TRUE(asked);
        ASSERT_TRUE(lower);
        EXPECT_EQ(asked->pcm16, lower->pcm16);
    }
    for (const QByteArray name : {"wave21", "cat7", "wave0", "", "turn.wav", "../pictures/icon",
                                  "sounds/turn", ":/sounds/turn"}) {
        SCOPED_TRACE(name.constData());
        QString error;
        EXPECT_FALSE(media::loadClip(name, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("no clip named"))) << error.toStdString();
    }
}

TEST(DecodeClip, PcmSamplesComeOutAsSixteenBitsInTheirChannels)
{
    // Unsigned 8-bit, 128 being silence; left and right interleaved.
    const std::optional<media::Clip> eight =
        media::decodeClip(wavefile::pcm(11025, 2, 8, QByteArray("\x80\x00\xff\x40", 4)));
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->sampleRate, 11025);
    EXPECT_EQ(eight->channels, 2);
    EXPECT_EQ(eight->frames, 2);
    EXPECT_EQ(samples(*eight), (QList<qint16>{0, -32768, 32512, -16384}));

    // Signed little-endian 16-bit, as they are.
    const std::optional<media::Clip> sixteen = media::decodeClip(
        wavefile::pcm(8000, 1, 16, QByteArray("\xd2\x04\x00\x80\xff\x7f\xff\xff", 8)));
    ASSERT_TRUE(sixteen);
    EXPECT_EQ(sixteen->channels, 1);
    EXPECT_EQ(samples(*sixteen), (QList<qint16>{1234, -32768, 32767, -1}));
}

TEST(DecodeClip, DamagedFilesGiveAReasonInsteadOfSound)
{
    const QByteArray turn = media::clipBytes("turn");
    const QByteArray snoring = media::clipBytes("wave6");
    const std::optional<wavefile::Header> turnHeader = wavefile::readHeader(turn);
    const std::optional<wavefile::Header> mpegHeader = wavefile::readHeader(snoring);
    ASSERT_TRUE(turnHeader);
    ASSERT_TRUE(mpegHeader);

    QByteArray unknownTag = turn;
    qToLittleEndian<quint16>(0x1234, unknownTag.data() + turnHeader->fmtAt);
    QByteArray noChannels = turn;
    qToLittleEndian<quint16>(0, noChannels.data() + turnHeader->fmtAt + 2);
    QByteArray garbageAfterHeader = turn.left(12) + randomBytes(turn.size() - 12, 3);
    QByteArray mpegZeroed = snoring;
    std::fill(mpegZeroed.begin() + mpegHeader->dataAt, mpegZeroed.end(), '\0');
    // Their first third plays, then the data is garbage: this garbage makes the MPEG decoder
    // report an error, that garbage makes it stop as if the stream had ended.
    const qsizetype spoilFrom = mpegHeader->dataAt + mpegHeader->dataBytes / 3;
    QByteArray mpegGarbled = snoring;
    mpegGarbled.replace(spoilFrom, snoring.size() - spoilFrom,
                        randomBytes(snoring.size() - spoilFrom, 5));
    QByteArray mpegEndingEarly = snoring;
    mpegEndingEarly.replace(spoilFrom, snoring.size() - spoilFrom,
                            randomBytes(snoring.size() - spoilFrom, 7));

    const struct {
        const char* what;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"nothing", QByteArray(), "not a RIFF WAVE file"},
        {"text", "Hello, this is not a sound", "not a RIFF WAVE file"},
        {"noise", randomBytes(4096, 1), "not a RIFF WAVE file"},
        {"garbage after the RIFF header", garbageAfterHeader, "unreadable WAVE file"},
        {"an unknown format tag", unknownTag, "unreadable WAVE file"},
        {"no channels", noChannels, "unreadable WAVE file"},
        {"no samples", wavefile::pcm(8000, 1, 8, {}), "holds no sound"},
        {"MPEG data zeroed", mpegZeroed, "damaged sound data"},
        {"MPEG data garbled after its first third", mpegGarbled, "damaged sound data"},
        {"MPEG data ending early", mpegEndingEarly, "samples decode"},
        {"over a minute of sound", wavefile::pcm(8000, 1, 8, QByteArray(8000 * 61, '\x80')),
         "longer than 60 seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_FALSE(media::decodeClip(c.bytes, &error));
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
}

TEST(DecodeClip, AFileCutShortIsRefusedWhereverItIsCut)
{
    for (const QByteArray name : {"turn", "correct", "wave13", "wave6", "wave17"}) {
        const QByteArray bytes = media::clipBytes(name);
        for (const qsizetype keep : {qsizetype(4), qsizetype(20), qsizetype(44), qsizetype(60),
                                     bytes.size() / 2, bytes.size() - 1}) {
            SCOPED_TRACE(QStringLiteral("%1 cut to %2 bytes")
                             .arg(QLatin1String(name))
                             .arg(keep)
                             .toStdString());
            QString error;
            EXPECT_FALSE(media::decodeClip(bytes.left(keep), &error));
            const char* reason = keep < 12 ? "not a RIFF WAVE file" : "cut short";
            EXPECT_TRUE(error.contains(QLatin1String(reason))) << error.toStdString();
        }
    }
}

} // namespace
