// The tiled background picture.
#include "uitest.h"

using namespace uitest;

namespace {

TEST(TiledBackground, RepeatsThePictureFromTheTopLeftCorner)
{
    QImage tile(2, 2, QImage::Format_ARGB32);
    tile.setPixelColor(0, 0, Qt::red);
    tile.setPixelColor(1, 0, Qt::green);
    tile.setPixelColor(0, 1, Qt::blue);
    tile.setPixelColor(1, 1, Qt::transparent);

    ui::TiledBackground background;
    background.setColour(QColor(156, 152, 120));
    background.setPicture(QPixmap::fromImage(tile));
    background.resize(5, 3);
    const QImage shown = background.grab().toImage();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const QColor expected =
                x % 2 == 1 && y % 2 == 1 ? QColor(156, 152, 120) : tile.pixelColor(x % 2, y % 2);
            EXPECT_EQ(shown.pixelColor(x, y), expected) << x << "," << y;
        }
    }
}

TEST(TiledBackground, AMissingPictureLeavesTheColourAlone)
{
    ui::TiledBackground background;
    background.setColour(Qt::white);
    background.setPictureResource(QStringLiteral(":/pictures/no-such-picture.svg"));
    EXPECT_TRUE(background.picture().isNull());
    background.resize(8, 8);
    const QImage shown = background.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(7, 7), QColor(Qt::white));
}

TEST(TiledBackground, DrawsAScalablePictureAtItsOwnSize)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("tile.svg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="6" height="4">)"
               R"(<rect width="6" height="4" fill="#0000ff"/></svg>)");
    file.close();

    const QPixmap picture = ui::TiledBackground::loadPicture(path);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(6, 4));
    EXPECT_EQ(picture.toImage().pixelColor(3, 2), QColor(Qt::blue));
}

} // namespace
