// The snapshot viewer (stepping, presses, "Delete", a vanished file) and the folder that
// keeps the snapshots.
#include "windows/snapshotfolder.h"
#include "windows/snapshots.h"

#include "windowstest.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QSet>

#include <sys/stat.h>

using namespace windowstest;

namespace {

class Viewer : public ::testing::Test {
protected:
    Viewer()
    {
        // Three pictures of distinct colours; the viewer lists them as the folder gives them.
        const QList<QColor> colours{Qt::red, Qt::green, Qt::blue};
        for (int n = 1; n <= 3; ++n) {
            QImage picture(533, 369, QImage::Format_RGB32);
            picture.fill(colours[n - 1]);
            picture.save(path(n), "JPG", 90);
        }
        viewer.setFolder(dir.path());
        viewer.setErrorHandler([this](const QString& text) { errors.append(text); });
    }
    QString path(int n) const { return dir.filePath(QStringLiteral("snapshot%1.jpg").arg(n)); }
    QListWidget& list() { return *child<QListWidget>(viewer, "listbox_snapshots"); }
    // The colour in the middle of the picture on display, by its strongest channel.
    char shown()
    {
        const QPixmap pixmap = child<QLabel>(viewer, "image_snapshot")->pixmap();
        if (pixmap.isNull())
            return '-';
        const QColor c = pixmap.toImage().pixelColor(266, 184);
        return c.red() > 200 ? 'r' : c.green() > 200 ? 'g' : c.blue() > 200 ? 'b' : '?';
    }
    char colourOf(int row)
    {
        return list().item(row)->text() == QStringLiteral("snapshot1.jpg")   ? 'r'
               : list().item(row)->text() == QStringLiteral("snapshot2.jpg") ? 'g'
                                                                             : 'b';
    }
    void press(int row, Qt::MouseButton button)
    {
        const QPoint at = list().visualItemRect(list().item(row)).center();
        QTest::mousePress(list().viewport(), button, {}, at);
        QTest::mouseRelease(list().viewport(), button, {}, at);
    }

    QTemporaryDir dir;
    windows::SnapshotViewer viewer;
    QStringList errors;
};

} // namespace

TEST_F(Viewer, ShowingListsTheFolderAndStepsStopAtBothEnds)
{
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Quillon - Snap Shots"));
    viewer.show();
    const QStringList listed = viewer.entries();
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()),
              (QSet<QString>{QStringLiteral("snapshot1.jpg"), QStringLiteral("snapshot2.jpg"),
                             QStringLiteral("snapshot3.jpg")}));
    EXPECT_EQ(viewer.selected(), 0);
    EXPECT_EQ(shown(), colourOf(0));

    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn1"), Qt::LeftButton); // at the first
    EXPECT_EQ(viewer.selected(), 0);
    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn2"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn2"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn2"), Qt::LeftButton); // past the last
    EXPECT_EQ(viewer.selected(), 2);
    EXPECT_EQ(shown(), colourOf(2));
    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(shown(), colourOf(1));
    EXPECT_TRUE(errors.isEmpty());

    // A snapshot taken while the viewer is open appears the next time it is shown.
    QFile::copy(path(1), path(4));
    EXPECT_EQ(list().count(), 3);
    viewer.hide();
    viewer.show();
    EXPECT_EQ(list().count(), 4);
}

TEST_F(Viewer, APressLoadsTheEntryUnderThePointerWithAnyButton)
{
    viewer.show();
    press(2, Qt::RightButton); // the entry is chosen before its menu would open
    EXPECT_EQ(viewer.selected(), 2);
    EXPECT_EQ(shown(), colourOf(2));
    press(1, Qt::LeftButton);
    EXPECT_EQ(shown(), colourOf(1));
}

TEST_F(Viewer, AVanishedFileIsToldOnlyWhenSteppedTo)
{
    viewer.show();
    const char first = shown();
    const QString name = list().item(1)->text();
    QFile::remove(dir.filePath(name));
    press(1, Qt::LeftButton); // a press checks: selected, nothing loaded, nothing told
    EXPECT_EQ(viewer.selected(), 1);
    EXPECT_EQ(shown(), first);
    EXPECT_TRUE(errors.isEmpty());
    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn1"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(viewer, "BitBtn2"), Qt::LeftButton); // does not check
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(name));
    EXPECT_EQ(shown(), first);
}

TEST_F(Viewer, DeleteRemovesTheSelectedFileAndEntryButKeepsThePicture)
{
    viewer.show();
    const char onDisplay = shown();
    press(1, Qt::RightButton);
    const QString name = list().item(1)->text();
    const char pressed = shown();
    viewer.popup()->findChild<QAction*>(QStringLiteral("Delete1"))->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath(name)));
    EXPECT_EQ(list().count(), 2);
    EXPECT_FALSE(viewer.entries().contains(name));
    EXPECT_EQ(shown(), pressed);
    EXPECT_NE(pressed, onDisplay);

    // A file already gone: the entry goes all the same.
    const QString gone = list().item(0)->text();
    QFile::remove(dir.filePath(gone));
    list().setCurrentRow(0);
    viewer.deleteSelected();
    EXPECT_EQ(viewer.entries(), QStringList{list().item(0)->text()});

    list().setCurrentRow(-1); // nothing selected: nothing happens
    viewer.deleteSelected();
    EXPECT_EQ(list().count(), 1);
}

TEST_F(Viewer, ASecondDeleteTakesNothingTheUserDidNotChoose)
{
    viewer.show();
    press(1, Qt::LeftButton);
    const QString chosen = list().item(1)->text();
    QAction* remove = viewer.popup()->findChild<QAction*>(QStringLiteral("Delete1"));
    remove->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath(chosen)));
    EXPECT_EQ(viewer.selected(), -1);
    EXPECT_TRUE(list().selectedItems().isEmpty());
    EXPECT_FALSE(list().currentIndex().isValid()) << "no hidden current row";

    remove->trigger(); // nothing chosen: nothing goes
    ASSERT_EQ(list().count(), 2);
    for (const QString& name : viewer.entries())
        EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name.toStdString();

    // The keyboard chooses again, and what it highlights is what is shown and deleted.
    QTest::keyClick(&list(), Qt::Key_Down);
    QTest::keyClick(&list(), Qt::Key_Down);
    ASSERT_EQ(viewer.selected(), 1);
    EXPECT_EQ(shown(), colourOf(1));
    const QString next = list().item(1)->text();
    const QString kept = list().item(0)->text();
    remove->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath(next)));
    EXPECT_TRUE(QFile::exists(dir.filePath(kept)));
    EXPECT_EQ(viewer.entries(), QStringList{kept});
}

// Files in the folder that we did not write: each gets a line in the picture's place and
// takes a moment. A FIFO that were opened would block this test until its timeout.
TEST_F(Viewer, FilesItCannotShowGetANoticeAndNeitherHangNorFloodIt)
{
    QByteArray jpeg;
    {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(picture.save(&buffer, "JPG"));
    }
    const auto put = [&](int n, const QByteArray& bytes) {
        QFile file(path(n));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    };
    // A whole JPEG whose frame header claims 30000 by 30000 pixels.
    QByteArray huge = jpeg;
    const qsizetype frame = huge.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    huge.replace(frame + 5, 4, QByteArray("\x75\x30\x75\x30", 4));
    put(4, huge);
    put(5, jpeg.left(jpeg.size() / 2));
    put(6, "not a picture at all\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(7)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(8)));
    put(9, jpeg.left(3) + QByteArray(5 * 1024 * 1024, '\0') + "\xFF\xD9");

    const QMap<int, QString> expected{
        {4, QStringLiteral("the picture is 30000 by 30000 pixels, larger than 2000 by 2000")},
        {5, QStringLiteral("the picture is incomplete")},
        {6, QStringLiteral("it is not a JPEG picture")},
        {7, QStringLiteral("it is not a regular file")},
        {8, QStringLiteral("it is not a regular file")},
        {9, QStringLiteral("the file is larger than 4 MiB")}};
    viewer.show();
    ASSERT_EQ(list().count(), 9);
    QLabel* picture = child<QLabel>(viewer, "image_snapshot");
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QString name = QStringLiteral("snapshot%1.jpg").arg(it.key());
        const QList<QListWidgetItem*> found = list().findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        press(list().row(found.first()), Qt::LeftButton);
        EXPECT_EQ(picture->text(), name + QStringLiteral(" cannot be shown: ") + it.value());
        EXPECT_TRUE(picture->pixmap().isNull()) << name.toStdString();
    }
    EXPECT_EQ(picture->textFormat(), Qt::PlainText);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'|').toStdString();

    // A good one after them shows as before, and a FIFO can be deleted like any entry.
    press(list().row(list().findItems(QStringLiteral("snapshot2.jpg"), Qt::MatchExactly)[0]),
          Qt::LeftButton);
    EXPECT_EQ(shown(), 'g');
    press(list().row(list().findItems(QStringLiteral("snapshot7.jpg"), Qt::MatchExactly)[0]),
          Qt::LeftButton);
    viewer.deleteSelected();
    EXPECT_FALSE(QFileInfo::exists(path(7)));
}

TEST(SnapshotFolder, KeepsNumberedJpegsAndMakesItsFolder)
{
    QTemporaryDir dir;
    windows::SnapshotFolder folder(dir.filePath(QStringLiteral("snapshots")));
    QImage picture(533, 369, QImage::Format_RGB32);
    picture.fill(Qt::white);
    EXPECT_EQ(folder.save(picture, 1), std::nullopt);
    picture.fill(Qt::black);
    EXPECT_EQ(folder.save(picture, 1), std::nullopt); // the same number is replaced
    EXPECT_EQ(folder.save(picture, 2), std::nullopt);
    const QStringList files = QDir(folder.folder()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files,
              (QStringList{QStringLiteral("snapshot1.jpg"), QStringLiteral("snapshot2.jpg")}));
    QImageReader reader(folder.pathOf(1));
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage read = reader.read();
    EXPECT_EQ(read.size(), QSize(533, 369));
    EXPECT_LT(read.pixelColor(10, 10).value(), 20);
}

TEST(SnapshotFolder, AFailedSaveNamesTheFileAndLeavesNothing)
{
    QTemporaryDir dir;
    // The folder's place is taken by a file: neither the folder nor a snapshot can be made.
    QFile blocker(dir.filePath(QStringLiteral("snapshots")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    windows::SnapshotFolder folder(blocker.fileName());
    QImage picture(533, 369, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const std::optional<QString> error = folder.save(picture, 3);
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->contains(QStringLiteral("snapshot3.jpg"))) << error->toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("snapshots")});
}
