#include "media/clip.h"

#include <QResource>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <sndfile.h>

namespace media {

namespace {

constexpr int kMaxChannels = 8;
constexpr int kMaxSampleRate = 384000;
// A RIFF size of 0 or all ones is what writers leave when they cannot seek back to fill it
// in; such a size says nothing about how long the file should be.
constexpr quint32 kRiffSizeUnknown = 0xffffffffu;

// libsndfile reads the clip through these instead of from a file, so nothing is written to
// disk and the compiled-in bytes are decoded where they lie.
struct MemoryFile {
    const QByteArray& bytes;
    sf_count_t at = 0;
};

sf_count_t memoryLength(void* user)
{
    return static_cast<MemoryFile*>(user)->bytes.size();
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = file->at;
    else if (whence == SEEK_END)
        base = file->bytes.size();
    // Offsets come from the file's own header fields; a hostile one must not overflow.
    if (offset > std::numeric_limits<sf_count_t>::max() - base || base + offset < 0)
        return -1;
    file->at = base + offset;
    return file->at;
}

sf_count_t memoryRead(void* to, sf_count_t count, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t left = std::max<sf_count_t>(0, file->bytes.size() - file->at);
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, left);
    if (n > 0)
        std::memcpy(to, file->bytes.constData() + file->at, static_cast<size_t>(n));
    file->at += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t memoryTell(void* user)
{
    return static_cast<MemoryFile*>(user)->at;
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// libsndfile's own words where they mean something to a reader; its other codes come from
// deep inside a decoder ("not a regular file" for MPEG data without a single good frame).
QString sndfileError(SNDFILE* file)
{
    const int code = sf_error(file);
    if (code == SF_ERR_UNRECOGNISED_FORMAT || code == SF_ERR_MALFORMED_FILE ||
        code == SF_ERR_UNSUPPORTED_ENCODING)
        return QString::fromUtf8(sf_strerror(file));
    return QStringLiteral("damaged sound data");
}

std::optional<Clip> fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

bool isClipName(QByteArrayView name)
{
    return !name.isEmpty() && name.size() <= 64 &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-';
           });
}

} // namespace

std::optional<Clip> decodeClip(const QByteArray& wavBytes, QString* error)
{
    if (wavBytes.size() < 12 || !wavBytes.startsWith("RIFF") || wavBytes.sliced(8, 4) != "WAVE")
        return fail(error, QStringLiteral("not a RIFF WAVE file"));
    // libsndfile quietly plays what is left of a cut-off file, but a clip that lost its end
    // is damaged, and its header knows how long it should be.
    const quint32 riffSize = qFromLittleEndian<quint32>(wavBytes.constData() + 4);
    if (riffSize != 0 && riffSize != kRiffSizeUnknown && qint64(riffSize) + 8 > wavBytes.size())
        return fail(error, QStringLiteral("the file is cut short: its header promises %1 bytes, "
                                          "but only %2 are there")
                               .arg(qint64(riffSize) + 8)
                               .arg(wavBytes.size()));

    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    MemoryFile memory{wavBytes};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!file)
        return fail(error, QStringLiteral("unreadable WAVE file: %1").arg(sndfileError(nullptr)));
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX)
        return fail(error, QStringLiteral("not a RIFF WAVE file"));
    if (info.channels < 1 || info.channels > kMaxChannels)
        return fail(error, QStringLiteral("unplayable channel count %1").arg(info.channels));
    if (info.samplerate < 1 || info.samplerate > kMaxSampleRate)
        return fail(error, QStringLiteral("unplayable sample rate %1 Hz").arg(info.samplerate));

    // Decoded MPEG may overshoot full scale; clip it rather than let it wrap around.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    // The frame count in the header is only an estimate for MPEG data, so read to the end.
    const qsizetype frameBytes = qsizetype(info.channels) * qsizetype(sizeof(qint16));
    const qsizetype maxFrames = qsizetype(kMaxClipSeconds) * info.samplerate;
    constexpr qsizetype kChunkFrames = 4096;
    Clip clip;
    clip.sampleRate = info.samplerate;
    clip.channels = info.channels;
    if (info.frames > 0)
        clip.pcm16.reserve(std::min<qsizetype>(info.frames, maxFrames + kChunkFrames) * frameBytes);
    for (;;) {
        clip.pcm16.resize((clip.frames + kChunkFrames) * frameBytes);
        // Reading into a byte array's storage, which the allocator aligns for any type.
        auto* to = reinterpret_cast<short*>(clip.pcm16.data() + clip.frames * frameBytes);
        const sf_count_t got = sf_readf_short(file.get(), to, kChunkFrames);
        clip.frames += qsizetype(std::max<sf_count_t>(got, 0));
        if (got < kChunkFrames || clip.frames > maxFrames)
            break;
    }
    clip.pcm16.resize(clip.frames * frameBytes);
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        return fail(error,
                    QStringLiteral("unreadable WAVE file: %1").arg(sndfileError(file.get())));
    if (clip.frames == 0)
        return fail(error, QStringLiteral("the file holds no sound"));
    if (clip.frames > maxFrames)
        return fail(error, QStringLiteral("longer than %1 seconds").arg(kMaxClipSeconds));
    // The MPEG decoder gives up quietly where the data turns to garbage. Its frame count is
    // an estimate, off by less than a frame or two of 1152 samples; PCM's is exact.
    const bool mpeg = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_MPEG_LAYER_III;
    const sf_count_t slack = mpeg ? 2 * 1152 : 0;
    if (info.frames > 0 && clip.frames + slack < info.frames)
        return fail(error, QStringLiteral("damaged sound data: only %1 of %2 samples decode")
                               .arg(clip.frames)
                               .arg(info.frames));
    return clip;
}

QByteArray clipBytes(QByteArrayView name)
{
    if (!isClipName(name))
        return {};
    const QResource resource(
        QStringLiteral(":/sounds/%1.wav").arg(QString::fromLatin1(name.toByteArray().toLower())));
    if (!resource.isValid() || resource.size() <= 0)
        return {};
    if (resource.compressionAlgorithm() != QResource::NoCompression)
        return resource.uncompressedData();
    // Resource data lives as long as the program.
    return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                   qsizetype(resource.size()));
}

std::optional<Clip> loadClip(QByteArrayView name, QString* error)
{
    const QByteArray bytes = clipBytes(name);
    if (bytes.isEmpty())
        return fail(error, QStringLiteral("no clip named \"%1\"")
                               .arg(QString::fromLatin1(name.toByteArray().toPercentEncoding())));
    QString why;
    std::optional<Clip> clip = decodeClip(bytes, &why);
    if (!clip)
        return fail(
            error,
            QStringLiteral("clip \"%1\": %2").arg(QString::fromLatin1(name.toByteArray()), why));
    return clip;
}

} // namespace media
