#pragma once

// The few RIFF WAVE header fields the media tests look at, read and written by hand so the
// tests do not take the decoder's word for what a file holds.
#include <QByteArray>
#include <QtEndian>

#include <optional>

namespace wavefile {

struct Header {
    quint16 formatTag = 0; // 0x0001 PCM, 0x0055 MPEG Layer-3
    int channels = 0;
    int sampleRate = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;
    qsizetype fmtAt = -1;  // where the fmt chunk's contents start
    qsizetype dataAt = -1; // where the data chunk's contents start
    qint64 dataBytes = 0;
    qint64 factFrames = -1; // the fact chunk's sample count, -1 without one
};

inline quint32 le32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

inline quint16 le16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

inline std::optional<Header> readHeader(const QByteArray& bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.sliced(8, 4) != "WAVE")
        return std::nullopt;
    Header header;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.sliced(at, 4);
        const qint64 size = le32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            header.formatTag = le16(bytes, body);
            header.channels = le16(bytes, body + 2);
            header.sampleRate = int(le32(bytes, body + 4));
            header.blockAlign = le16(bytes, body + 12);
            header.bitsPerSample = le16(bytes, body + 14);
            header.fmtAt = body;
        } else if (id == "fact" && size >= 4 && body + 4 <= bytes.size()) {
            header.factFrames = le32(bytes, body);
        } else if (id == "data") {
            header.dataAt = body;
            header.dataBytes = size;
        }
        at = body + qsizetype(size) + qsizetype(size & 1);
    }
    if (header.fmtAt < 0 || header.dataAt < 0)
        return std::nullopt;
    return header;
}

inline void putLe32(QByteArray& to, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    to.append(bytes, 4);
}

inline void putLe16(QByteArray& to, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    to.append(bytes, 2);
}

// A PCM WAVE file around `samples`, which go into the data chunk as they are.
inline QByteArray pcm(int sampleRate, int channels, int bits, const QByteArray& samples)
{
    const auto blockAlign = quint16(channels * bits / 8);
    QByteArray wav = "RIFF";
    putLe32(wav, quint32(36 + samples.size()));
    wav += "WAVEfmt ";
    putLe32(wav, 16);
    putLe16(wav, 1);
    putLe16(wav, quint16(channels));
    putLe32(wav, quint32(sampleRate));
    putLe32(wav, quint32(sampleRate) * blockAlign);
    putLe16(wav, blockAlign);
    putLe16(wav, quint16(bits));
    wav += "data";
    putLe32(wav, quint32(samples.size()));
    wav += samples;
    return wav;
}

} // namespace wavefile
