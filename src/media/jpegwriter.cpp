#include "media/jpegwriter.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>

#include <memory>
#include <turbojpeg.h>

namespace media {

namespace {

struct CompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};

struct JpegBytesDeleter {
    void operator()(unsigned char* bytes) const { tjFree(bytes); }
};

} // namespace

std::optional<QString> writeJpeg(const QImage& picture, const QString& path)
{
    const auto failed = [&path](const QString& why) {
        return QStringLiteral("Cannot save the picture to %1: %2")
            .arg(QDir::toNativeSeparators(path), why);
    };
    if (picture.isNull())
        return failed(QStringLiteral("there is no picture"));

    // RGB32 is the board's own format; its pixels are 0xffRRGGBB words, which TurboJPEG reads
    // in place as BGRX bytes on a little-endian machine and as XRGB on a big-endian one.
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        return failed(QStringLiteral("out of memory"));
    constexpr int kPixelFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TJPF_BGRX : TJPF_XRGB;

    const std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
    if (!compressor)
        return failed(QString::fromUtf8(tjGetErrorStr2(nullptr)));
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    const int result = tjCompress2(compressor.get(), rgb.constBits(), rgb.width(),
                                   static_cast<int>(rgb.bytesPerLine()), rgb.height(), kPixelFormat,
                                   &bytes, &size, TJSAMP_420, kJpegQuality, TJFLAG_ACCURATEDCT);
    const std::unique_ptr<unsigned char, JpegBytesDeleter> jpeg(bytes);
    if (result != 0)
        return failed(QString::fromUtf8(tjGetErrorStr2(compressor.get())));

    // Encoded first, so a picture that cannot be encoded never touches the file system.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    // A short write is not an error yet; the next one says why (a full disk, a size limit).
    const char* at = reinterpret_cast<const char*>(jpeg.get());
    for (auto left = static_cast<qint64>(size); left > 0;) {
        const qint64 written = file.write(at, left);
        if (written <= 0)
            return failed(file.errorString());
        at += written;
        left -= written;
    }
    if (!file.commit())
        return failed(file.errorString());
    return std::nullopt;
}

} // namespace media
