// Saved pictures: the file a viewer opens (baseline, three components, the board's size and
// colours), and what a failed save leaves behind: nothing new, the old file as it was.
#include "media/jpegwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

// A board with strokes, and blocks of pure colour in which a swapped channel or a skewed row
// would show.
QImage board()
{
    QImage picture(533, 369, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.fillRect(20, 20, 120, 100, QColor(255, 0, 0));
    painter.fillRect(200, 20, 120, 100, QColor(0, 160, 0));
    painter.fillRect(380, 20, 120, 100, QColor(0, 0, 255));
    painter.setPen(QPen(Qt::black, 3));
    for (int i = 0; i < 12; ++i)
        painter.drawLine(10 + i * 40, 360, 60 + i * 37, 160 + (i % 3) * 30);
    return picture;
}

struct Frame {
    int marker = 0; // 0xc0 baseline, 0xc2 progressive, ...
    int precision = 0;
    int height = 0;
    int width = 0;
    int components = 0;
};

// The frame header of a JPEG file, found by walking its segments from the start.
std::optional<Frame> frameOf(const QByteArray& jpeg)
{
    const auto byte = [&jpeg](qsizetype at) {
        return int(uchar(jpeg.at(at)));
    };
    if (!jpeg.startsWith("\xff\xd8"))
        return std::nullopt;
    for (qsizetype at = 2; at + 10 <= jpeg.size() && byte(at) == 0xff;) {
        const int marker = byte(at + 1);
        const bool startOfFrame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (startOfFrame)
            return Frame{marker, byte(at + 4), byte(at + 5) << 8 | byte(at + 6),
                         byte(at + 7) << 8 | byte(at + 8), byte(at + 9)};
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return std::nullopt;
}

// The first and the last entry of quantisation table 0 (luminance), or nothing.
std::optional<std::pair<int, int>> lumaTableEnds(const QByteArray& jpeg)
{
    const auto byte = [&jpeg](qsizetype at) {
        return int(uchar(jpeg.at(at)));
    };
    for (qsizetype at = 2; at + 4 <= jpeg.size() && byte(at) == 0xff && byte(at + 1) != 0xda;) {
        const qsizetype end = at + 2 + (byte(at + 2) << 8 | byte(at + 3));
        if (byte(at + 1) == 0xdb) {
            for (qsizetype table = at + 4; table < end && end <= jpeg.size();) {
                const qsizetype entries = (byte(table) >> 4) == 0 ? 64 : 128;
                if ((byte(table) & 0x0f) == 0 && entries == 64)
                    return std::pair(byte(table + 1), byte(table + 64));
                table += 1 + entries;
            }
        }
        at = end;
    }
    return std::nullopt;
}

double meanError(const QImage& a, const QImage& b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(JpegWriter, SavesABaselineColourJpegOfTheBoardReplacingAnOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("board.jpg"));
    const QImage original = board();

    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888}) {
        SCOPED_TRACE(int(format));
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older picture");
        old.close();

        const std::optional<QString> error =
            media::writeJpeg(original.convertToFormat(format), path);
        ASSERT_FALSE(error) << error->toStdString();
        const QByteArray jpeg = contents(path);
        const std::optional<Frame> frame = frameOf(jpeg);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->marker, 0xc0);
        EXPECT_EQ(frame->precision, 8);
        EXPECT_EQ(frame->components, 3);
        EXPECT_EQ(frame->width, 533);
        EXPECT_EQ(frame->height, 369);
        // Quality 90 scales the standard luminance table (16 ... 99) to a fifth: 3 ... 20.
        EXPECT_EQ(lumaTableEnds(jpeg), std::pair(3, 20));

        const QImage decoded = QImage::fromData(jpeg, "JPEG");
        ASSERT_EQ(decoded.size(), original.size());
        EXPECT_LT(meanError(decoded, original), 2.0);
        for (const QPoint at : {QPoint(80, 70), QPoint(260, 70), QPoint(440, 70), QPoint(5, 5)}) {
            const QRgb want = original.pixel(at);
            const QRgb got = decoded.pixel(at);
            EXPECT_LE(std::abs(qRed(want) - qRed(got)), 6) << at.x();
            EXPECT_LE(std::abs(qGreen(want) - qGreen(got)), 6) << at.x();
            EXPECT_LE(std::abs(qBlue(want) - qBlue(got)), 6) << at.x();
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
                  QStringList{QStringLiteral("board.jpg")});
    }
}

// libjpeg-turbo's TurboJPEG layer reads TJ_* variables that switch on progressive or
// arithmetic coding, which some viewers cannot open; a saved picture must not depend on them.
TEST(JpegWriter, TheFileIsTheSameWhateverTheEnvironmentSays)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath(QStringLiteral("plain.jpg"));
    const QString tuned = dir.filePath(QStringLiteral("tuned.jpg"));
    ASSERT_FALSE(media::writeJpeg(board(), plain));

    const char* const names[] = {"TJ_PROGRESSIVE", "TJ_ARITHMETIC", "TJ_OPTIMIZE", "TJ_RESTART"};
    for (const char* name : names)
        qputenv(name, name == names[3] ? "2" : "1");
    const auto restore = qScopeGuard([&] {
        for (const char* name : names)
            qunsetenv(name);
    });
    const std::optional<QString> error = media::writeJpeg(board(), tuned);
    ASSERT_FALSE(error) << error->toStdString();
    const std::optional<Frame> frame = frameOf(contents(tuned));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->marker, 0xc0);
    EXPECT_EQ(contents(tuned), contents(plain));
}

TEST(JpegWriter, FailedSaveNamesTheFileAndLeavesNoPartOfIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("board.jpg"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older picture");
    old.close();

    {
        SCOPED_TRACE("a folder that is not there, and is not made");
        const QString missing = dir.filePath(QStringLiteral("snapshots"));
        const QString inside = missing + QStringLiteral("/1.jpg");
        const std::optional<QString> error = media::writeJpeg(board(), inside);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->contains(QDir::toNativeSeparators(inside))) << error->toStdString();
        EXPECT_FALSE(QFileInfo::exists(missing));
    }
    {
        SCOPED_TRACE("a folder that cannot be made into one (a path under a file)");
        const QString under = dir.filePath(QStringLiteral("board.jpg/snapshots/1.jpg"));
        const std::optional<QString> error = media::writeJpeg(board(), under);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->contains(QDir::toNativeSeparators(under))) << error->toStdString();
    }
    {
        SCOPED_TRACE("the disk fills up while writing over the old file");
        // A file size limit binds root as well; the signal it raises is turned into an error.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        });
        const std::optional<QString> error = media::writeJpeg(board(), path);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->contains(QDir::toNativeSeparators(path))) << error->toStdString();
    }
    {
        SCOPED_TRACE("pictures JPEG cannot hold");
        QImage tooWide(70000, 1, QImage::Format_RGB32);
        tooWide.fill(Qt::white);
        for (const QImage& picture : {QImage(), tooWide}) {
            const std::optional<QString> error = media::writeJpeg(picture, path);
            ASSERT_TRUE(error);
            EXPECT_TRUE(error->contains(QDir::toNativeSeparators(path))) << error->toStdString();
        }
    }
    EXPECT_EQ(contents(path), "an older picture");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("board.jpg")});
}

// A folder the player may not write into. Root writes into it all the same, so the case runs
// only for other users.
TEST(JpegWriter, ReadOnlyFolderIsAnErrorAndGainsNoFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    const QString path = dir.filePath(QStringLiteral("board.jpg"));
    const std::optional<QString> error = media::writeJpeg(board(), path);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(QDir::toNativeSeparators(path))) << error->toStdString();
    EXPECT_TRUE(QDir(dir.path())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
}

} // namespace
