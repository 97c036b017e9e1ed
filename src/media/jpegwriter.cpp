#include "media/jpegwriter.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>

#include <csetjmp>
#include <cstdio> // jpeglib.h uses FILE and size_t without declaring them
#include <cstdlib>
#include <jerror.h>
#include <jpeglib.h>
#include <memory>

// The encoder is libjpeg's own interface rather than TurboJPEG's, whose settings can be
// changed by TJ_* environment variables (progressive or arithmetic coding, restart markers):
// the files must be plain baseline JPEG wherever the game runs.

namespace media {

namespace {

// libjpeg reports a fatal error through error_exit, whose default ends the process. Ours keeps
// the message and jumps back into encode(), past libjpeg's frames and our plain C callbacks.
struct ErrorTrap {
    jpeg_error_mgr manager; // first, so libjpeg's pointer to it is a pointer to the trap
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void leave(j_common_ptr codec)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(codec->err);
    codec->err->format_message(codec, trap->message);
    std::longjmp(trap->jump, 1);
}

// Warnings would go to stderr; whether the file is good is decided by the errors alone.
void keepQuiet(j_common_ptr) {}

// The encoded file, gathered in malloc'd memory that doubles when full.
struct Output {
    jpeg_destination_mgr manager; // first, as in ErrorTrap
    JOCTET* bytes;
    size_t capacity;
};

constexpr size_t kFirstCapacity = 64 * 1024;

[[noreturn]] void outOfMemory(j_compress_ptr codec)
{
    codec->err->msg_code = JERR_OUT_OF_MEMORY;
    codec->err->error_exit(reinterpret_cast<j_common_ptr>(codec));
    std::abort(); // error_exit does not return
}

void startOutput(j_compress_ptr codec)
{
    auto* out = reinterpret_cast<Output*>(codec->dest);
    out->bytes = static_cast<JOCTET*>(std::malloc(kFirstCapacity));
    if (!out->bytes)
        outOfMemory(codec);
    out->capacity = kFirstCapacity;
    out->manager.next_output_byte = out->bytes;
    out->manager.free_in_buffer = out->capacity;
}

// Called when the buffer is full; the new room starts where the old buffer ended.
boolean growOutput(j_compress_ptr codec)
{
    auto* out = reinterpret_cast<Output*>(codec->dest);
    auto* grown = static_cast<JOCTET*>(std::realloc(out->bytes, out->capacity * 2));
    if (!grown)
        outOfMemory(codec);
    out->bytes = grown;
    out->manager.next_output_byte = grown + out->capacity;
    out->manager.free_in_buffer = out->capacity;
    out->capacity *= 2;
    return TRUE;
}

void endOutput(j_compress_ptr) {}

// Everything libjpeg touches, owned by writeJpeg as plain C structures: leaving encode() by
// longjmp then skips no destructor, and no local of encode() is changed after setjmp.
struct Job {
    jpeg_compress_struct codec;
    ErrorTrap trap;
    Output output;
};

void writeRows(j_compress_ptr codec, const uchar* pixels, qsizetype stride)
{
    while (codec->next_scanline < codec->image_height) {
        // libjpeg only reads the rows; its interface just lacks the const.
        JSAMPROW row = const_cast<JSAMPROW>(pixels + stride * codec->next_scanline);
        jpeg_write_scanlines(codec, &row, 1);
    }
}

// Encodes `rgb` (Format_RGB888) into job->output as a baseline JPEG with libjpeg's defaults at
// kJpegQuality. false on failure, with libjpeg's message in job->trap.message.
bool encode(Job* job, const QImage& rgb)
{
    job->codec.err = jpeg_std_error(&job->trap.manager);
    job->trap.manager.error_exit = leave;
    job->trap.manager.output_message = keepQuiet;
    if (setjmp(job->trap.jump) != 0) {
        jpeg_destroy_compress(&job->codec); // nothing to do before create: codec.mem is null
        return false;
    }
    jpeg_CreateCompress(&job->codec, JPEG_LIB_VERSION, sizeof(jpeg_compress_struct));
    job->output.manager.init_destination = startOutput;
    job->output.manager.empty_output_buffer = growOutput;
    job->output.manager.term_destination = endOutput;
    job->codec.dest = &job->output.manager;
    job->codec.image_width = static_cast<JDIMENSION>(rgb.width());
    job->codec.image_height = static_cast<JDIMENSION>(rgb.height());
    job->codec.input_components = 3;
    job->codec.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job->codec);
    jpeg_set_quality(&job->codec, kJpegQuality, TRUE);
    jpeg_start_compress(&job->codec, TRUE);
    writeRows(&job->codec, rgb.constBits(), rgb.bytesPerLine());
    jpeg_finish_compress(&job->codec);
    jpeg_destroy_compress(&job->codec);
    return true;
}

struct FreeBytes {
    void operator()(JOCTET* bytes) const { std::free(bytes); }
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
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return failed(QStringLiteral("out of memory"));

    // Encoded first, so a picture that cannot be encoded never touches the file system.
    Job job{};
    const bool encoded = encode(&job, rgb);
    const std::unique_ptr<JOCTET, FreeBytes> bytes(job.output.bytes);
    if (!encoded)
        return failed(QString::fromLocal8Bit(job.trap.message));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const auto length =
        static_cast<qint64>(job.output.capacity - job.output.manager.free_in_buffer);
    if (file.write(reinterpret_cast<const char*>(bytes.get()), length) != length)
        return failed(file.errorString());
    if (!file.commit())
        return failed(file.errorString());
    return std::nullopt;
}

} // namespace media
