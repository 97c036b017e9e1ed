// The album a game leaves: the page a player looks at (every board in reading order, half size,
// with its caption, under a title) and the folder on disk, whole or not there at all.
#include "media/albumfolder.h"
#include "media/albumsheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <ostream>
#include <unistd.h>

// Names in failure messages as text, not as bytes.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr QSize kBoard(533, 369);

// A white board with a stroke and a 60x60 block of `colour` at `block`'s top left.
QImage board(QColor colour, QPoint block)
{
    QImage picture(kBoard, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::darkGray, 3));
    painter.drawLine(10, 350, 520, 300);
    painter.fillRect(QRect(block, QSize(60, 60)), colour);
    return picture;
}

// The centre of the pixels close to `colour`, and how many there are.
std::pair<QPointF, int> findColour(const QImage& image, QColor colour, int tolerance = 60)
{
    QPointF sum;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <
                tolerance) {
                sum += QPointF(x, y);
                ++count;
            }
        }
    }
    return {count ? sum / count : QPointF(), count};
}

bool anyDark(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        }
    }
    return false;
}

const QColor kColours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan, Qt::yellow};

TEST(AlbumSheet, ThumbnailsInReadingOrderWithCaptionsKeptToTheirColumnUnderATitle)
{
    std::vector<media::SheetEntry> entries;
    for (const QColor& colour : kColours)
        entries.push_back({board(colour, QPoint(236, 154)),
                           {QStringLiteral("A tree"), QStringLiteral("drawn by Quill")}});
    entries[0].captionLines[1] = QStringLiteral("drawn by %1").arg(QString(200, u'W'));
    const QImage sheet = media::composeContactSheet(QStringLiteral("Game night"), entries);

    std::vector<QPointF> centres;
    for (const QColor& colour : kColours) {
        const auto [centre, count] = findColour(sheet, colour);
        EXPECT_NEAR(count, 30 * 30, 120) << "a half-size block of " << colour.name().toStdString();
        centres.push_back(centre);
    }
    // Four to a row, left to right, then the next row below.
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_NEAR(centres[i].y(), centres[0].y(), 1);
        EXPECT_GT(centres[i].x(), centres[i - 1].x() + 266);
    }
    EXPECT_NEAR(centres[4].x(), centres[0].x(), 1);
    EXPECT_GT(centres[4].y(), centres[0].y() + 184);
    EXPECT_GT(centres[5].x(), centres[4].x() + 266);

    // Under the first thumbnail its caption; the long line stops before the next column.
    const int captionTop = int(centres[0].y()) + 92 + 1;
    const int captionBottom = int(centres[4].y()) - 92 - 1;
    const int columnEnd = int(centres[0].x()) + 133;
    EXPECT_TRUE(anyDark(
        sheet, QRect(QPoint(columnEnd - 140, captionTop), QPoint(columnEnd, captionBottom))));
    EXPECT_FALSE(anyDark(sheet, QRect(QPoint(columnEnd + 2, captionTop),
                                      QPoint(int(centres[1].x()) - 134, captionBottom))));
    EXPECT_TRUE(anyDark(sheet, QRect(0, 0, sheet.width(), int(centres[0].y()) - 93)))
        << "the title";

    const QImage empty = media::composeContactSheet(QStringLiteral("Game night"), {});
    ASSERT_FALSE(empty.isNull());
    EXPECT_EQ(empty.width(), sheet.width());
    EXPECT_LT(empty.height(), sheet.height() / 3);
    EXPECT_TRUE(anyDark(empty, empty.rect())) << "the title";
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

TEST(AlbumFolder, SavedAlbumReadsBackAndANameInUseGetsANumber)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<QImage> pictures;
    for (int i = 0; i < 3; ++i)
        pictures.push_back(board(Qt::black, QPoint(40 + i * 150, 40 + i * 100)));
    const QImage sheet = media::composeContactSheet(QStringLiteral("Game night"),
                                                    {{pictures[0], {}}, {pictures[1], {}}});

    const media::AlbumWriteResult saved =
        media::writeAlbumFolder(dir.path(), QStringLiteral("Game night"), sheet, pictures);
    ASSERT_FALSE(saved.error) << saved.error->toStdString();
    EXPECT_EQ(saved.folder, dir.filePath(QStringLiteral("Game night")));
    EXPECT_EQ(entriesOf(saved.folder),
              (QStringList{QStringLiteral("Album.png"), QStringLiteral("Turn 01.jpg"),
                           QStringLiteral("Turn 02.jpg"), QStringLiteral("Turn 03.jpg")}));
    EXPECT_EQ(QImage(saved.folder + QStringLiteral("/Album.png")).convertToFormat(sheet.format()),
              sheet);
    for (int i = 0; i < 3; ++i) {
        const QImage turn(saved.folder + QStringLiteral("/Turn 0%1.jpg").arg(i + 1));
        ASSERT_EQ(turn.size(), kBoard) << i;
        const auto [centre, count] = findColour(turn, Qt::black);
        EXPECT_NEAR(count, 60 * 60, 300) << i;
        EXPECT_NEAR(centre.x(), 40 + i * 150 + 29.5, 2) << i;
        EXPECT_NEAR(centre.y(), 40 + i * 100 + 29.5, 2) << i;
    }

    for (const QString& copy :
         {QStringLiteral("Game night (2)"), QStringLiteral("Game night (3)")}) {
        const media::AlbumWriteResult again =
            media::writeAlbumFolder(dir.path(), QStringLiteral("Game night"), sheet, {});
        ASSERT_FALSE(again.error) << again.error->toStdString();
        EXPECT_EQ(again.folder, dir.filePath(copy));
        EXPECT_EQ(entriesOf(again.folder), QStringList{QStringLiteral("Album.png")});
    }
    EXPECT_EQ(entriesOf(dir.path()),
              (QStringList{QStringLiteral("Game night"), QStringLiteral("Game night (2)"),
                           QStringLiteral("Game night (3)")}));
    EXPECT_EQ(entriesOf(saved.folder).size(), 4);
}

TEST(AlbumFolder, FailedSaveSaysWhereAndLeavesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile note(dir.filePath(QStringLiteral("note.txt")));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.close();
    const QImage sheet = media::composeContactSheet(QStringLiteral("Game night"), {});
    const std::vector<QImage> pictures{board(Qt::black, QPoint(10, 10))};
    struct Case {
        const char* what;
        QString parent;
        QString name;
        std::vector<QImage> pictures;
    };
    std::vector<Case> cases{
        {"a parent that is a file", dir.filePath(QStringLiteral("note.txt")), QStringLiteral("A"),
         pictures},
        {"a parent that is not there", dir.filePath(QStringLiteral("gone")), QStringLiteral("A"),
         pictures},
        {"a name that is a path", dir.path(), QStringLiteral("a/b"), pictures},
        // Fails after Album.png and Turn 01.jpg are written.
        {"a turn without a picture", dir.path(), QStringLiteral("A"), {pictures[0], QImage()}},
    };
    if (geteuid() != 0) { // root writes into read-only folders all the same
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        ASSERT_TRUE(QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                                          QFile::ReadOwner | QFile::ExeOwner));
        cases.push_back({"a read-only parent", dir.filePath(QStringLiteral("locked")),
                         QStringLiteral("A"), pictures});
    }
    const QStringList before = entriesOf(dir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const media::AlbumWriteResult result =
            media::writeAlbumFolder(c.parent, c.name, sheet, c.pictures);
        ASSERT_TRUE(result.error);
        EXPECT_TRUE(result.folder.isEmpty());
        EXPECT_TRUE(result.error->contains(QDir::toNativeSeparators(c.parent + u'/' + c.name)))
            << result.error->toStdString();
        EXPECT_EQ(entriesOf(dir.path()), before);
        if (QFileInfo(c.parent).isDir()) {
            EXPECT_EQ(entriesOf(c.parent), c.parent == dir.path() ? before : QStringList());
        }
    }
}

} // namespace
