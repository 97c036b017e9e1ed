#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace media {

// A decoded sound: interleaved signed 16-bit samples in the machine's byte order.
struct Clip {
    int sampleRate = 0;
    int channels = 0;
    qsizetype frames = 0;
    QByteArray pcm16; // frames * channels samples

    double seconds() const { return sampleRate > 0 ? double(frames) / sampleRate : 0.0; }
};

// The longest sound decodeClip accepts; anything longer is not a clip but a mistake, and
// would only eat memory.
inline constexpr int kMaxClipSeconds = 60;

// Decodes a RIFF WAVE file held in memory: PCM of any sample width, or MPEG Layer-3 data
// inside the WAVE container. On failure gives nothing and, if asked, says why in `error`.
std::optional<Clip> decodeClip(const QByteArray& wavBytes, QString* error = nullptr);

// The compiled-in WAVE file of the clip called `name` ("turn", "cat3", "wave7"; any case),
// read in place. Empty if there is no such clip.
QByteArray clipBytes(QByteArrayView name);

// clipBytes() decoded, with the reason in `error` when there is no such clip or it is damaged.
std::optional<Clip> loadClip(QByteArrayView name, QString* error = nullptr);

} // namespace media
