#include "ui/animatedimage.h"
#include "ui/colourbutton.h"
#include "ui/colours.h"
#include "ui/flatbutton.h"
#include "ui/tiledbackground.h"
#include "ui/updown.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using protocol::ColourValue;
using protocol::rgbColour;

namespace {

QPixmap solid(const QColor& colour, int size = 4)
{
    QPixmap pixmap(size, size);
    pixmap.fill(colour);
    return pixmap;
}

QColor shownColour(const QLabel& label)
{
    return label.pixmap().toImage().pixelColor(0, 0);
}

// ---------------------------------------------------------------------------------------
// ColourButton

QToolButton* swatch(const ui::ColourButton& button, int number)
{
    return button.palettePopup()->findChild<QToolButton*>(QStringLiteral("swatch%1").arg(number));
}

QPushButton* otherButton(const ui::ColourButton& button)
{
    return button.palettePopup()->findChild<QPushButton*>(QStringLiteral("other"));
}

// Answers the colour dialog that the next action opens (modally) by running `answer` on
// it; a dialog `answer` leaves open is cancelled, so a failing test cannot hang.
void answerColourDialog(std::function<void(QColorDialog&)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        answer(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}

// The palette as the drawing toolbar offers it, red in the low byte.
const std::vector<ColourValue> kExpectedPalette = {
    16777215, 255,   65280,    16711680, 12572607, 0,       127,   32512,   8323072, 15712159,
    12566463, 65535, 16776960, 16711935, 15726591, 8355711, 32639, 8355584, 8323199, 10461087,
};

TEST(ColourButton, StartsBlackAndShowsItsColourOnTheFace)
{
    ui::ColourButton button;
    button.resize(52, 24);
    EXPECT_EQ(button.colour(), protocol::kBlack);

    button.setColour(rgbColour(0, 127, 127));
    const QImage face = button.grab().toImage();
    EXPECT_EQ(face.pixelColor(14, 12), QColor(0, 127, 127));
}

TEST(ColourButton, PaletteHoldsTwentyColoursFourColumnsOfFiveInOrder)
{
    ui::ColourButton button;
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_TRUE(button.palettePopup()->isVisible());

    auto* grid = qobject_cast<QGridLayout*>(button.palettePopup()->layout());
    ASSERT_NE(grid, nullptr);
    for (int n = 1; n <= 20; ++n) {
        QToolButton* colour = swatch(button, n);
        ASSERT_NE(colour, nullptr) << n;
        int row = -1;
        int column = -1;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(grid->indexOf(colour), &row, &column, &rowSpan, &columnSpan);
        EXPECT_EQ(row, (n - 1) % 5) << n;
        EXPECT_EQ(column, (n - 1) / 5) << n;
        const QImage shown = colour->icon().pixmap(16, 16).toImage();
        EXPECT_EQ(shown.pixelColor(8, 8),
                  ui::toQColor(kExpectedPalette[static_cast<std::size_t>(n - 1)]))
            << n;
    }
    EXPECT_EQ(swatch(button, 21), nullptr);

    QPushButton* other = otherButton(button);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->text(), QStringLiteral("&Other"));
    int row = -1;
    int column = -1;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(grid->indexOf(other), &row, &column, &rowSpan, &columnSpan);
    EXPECT_EQ(row, 5);
    EXPECT_EQ(columnSpan, 4);
}

TEST(ColourButton, ClickingASwatchPicksItsColourClosesThePaletteAndMarksIt)
{
    ui::ColourButton button;
    button.show();
    QSignalSpy changed(&button, &ui::ColourButton::colourChanged);

    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(swatch(button, 2), Qt::LeftButton);
    EXPECT_EQ(button.colour(), rgbColour(255, 0, 0));
    EXPECT_FALSE(button.palettePopup()->isVisible());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<ColourValue>(), rgbColour(255, 0, 0));

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(swatch(button, 2)->isChecked());
    EXPECT_FALSE(swatch(button, 6)->isChecked());
    // Picking the colour it already has is no change.
    QTest::mouseClick(swatch(button, 2), Qt::LeftButton);
    EXPECT_EQ(changed.count(), 1);
}

TEST(ColourButton, OtherOpensTheColourDialogOnTheCurrentColourWithWhiteCustomColours)
{
    ui::ColourButton button;
    button.setColour(rgbColour(10, 20, 30));
    button.show();
    QSignalSpy changed(&button, &ui::ColourButton::colourChanged);

    QColor offered;
    std::vector<QColor> customs;
    answerColourDialog([&](QColorDialog& dialog) {
        offered = dialog.currentColor();
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            customs.push_back(QColorDialog::customColor(i));
        dialog.setCurrentColor(QColor(1, 2, 3));
        dialog.accept();
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(otherButton(button), Qt::LeftButton);

    EXPECT_FALSE(button.palettePopup()->isVisible());
    EXPECT_EQ(offered, QColor(10, 20, 30));
    ASSERT_EQ(customs.size(), 16u);
    for (const QColor& custom : customs)
        EXPECT_EQ(custom, QColor(Qt::white));
    EXPECT_EQ(button.colour(), rgbColour(1, 2, 3));
    EXPECT_EQ(changed.count(), 1);
}

TEST(ColourButton, CancelledDialogKeepsTheColourAndTheCustomColoursStoredInIt)
{
    ui::ColourButton button;
    button.show();
    QSignalSpy changed(&button, &ui::ColourButton::colourChanged);

    answerColourDialog([](QColorDialog& dialog) {
        QColorDialog::setCustomColor(3, QColor(200, 0, 0));
        dialog.setCurrentColor(QColor(1, 2, 3));
        dialog.reject();
    });
    button.chooseOtherColour();
    EXPECT_EQ(button.colour(), protocol::kBlack);
    EXPECT_EQ(changed.count(), 0);

    QColor storedSecondTime;
    answerColourDialog([&](QColorDialog&) { storedSecondTime = QColorDialog::customColor(3); });
    button.chooseOtherColour();
    EXPECT_EQ(storedSecondTime, QColor(200, 0, 0));

    // Another colour button has its own custom colours, white at first.
    ui::ColourButton another;
    QColor anotherSees;
    answerColourDialog([&](QColorDialog&) { anotherSees = QColorDialog::customColor(3); });
    another.chooseOtherColour();
    EXPECT_EQ(anotherSees, QColor(Qt::white));
}

// ---------------------------------------------------------------------------------------
// AnimatedImage

TEST(AnimatedImage, ShowsTheFirstFrameUntilStarted)
{
    ui::AnimatedImage image;
    EXPECT_EQ(image.interval(), 500);
    image.setInterval(10);
    image.setFrames({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    EXPECT_FALSE(image.isRunning());
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_EQ(shownColour(image), QColor(Qt::red));

    QTest::qWait(60);
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_EQ(shownColour(image), QColor(Qt::red));

    // Without frames it shows nothing, running or not.
    image.setFrames({});
    image.start();
    QTest::qWait(40);
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_TRUE(image.pixmap().isNull());
}

TEST(AnimatedImage, RunsThroughTheFramesAndStartsAgainAfterTheLast)
{
    ui::AnimatedImage image;
    image.setInterval(15);
    image.setFrames({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    std::vector<int> order;
    std::vector<QColor> shown;
    QObject::connect(&image, &ui::AnimatedImage::frameChanged, [&](int frame) {
        order.push_back(frame);
        shown.push_back(shownColour(image));
    });

    image.start();
    EXPECT_TRUE(image.isRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() >= 5; }, 5000));
    const std::vector<int> firstFive(order.begin(), order.begin() + 5);
    EXPECT_EQ(firstFive, (std::vector<int>{1, 2, 0, 1, 2}));
    EXPECT_EQ(shown[0], QColor(Qt::green));
    EXPECT_EQ(shown[1], QColor(Qt::blue));
    EXPECT_EQ(shown[2], QColor(Qt::red));
}

TEST(AnimatedImage, StoppingShowsTheFirstFrameAndHoldsIt)
{
    ui::AnimatedImage image;
    image.setInterval(10);
    image.setFrames({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    image.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return image.currentFrame() == 2; }, 5000));

    image.stop();
    EXPECT_FALSE(image.isRunning());
    EXPECT_EQ(image.currentFrame(), 0);
    EXPECT_EQ(shownColour(image), QColor(Qt::red));
    QTest::qWait(50);
    EXPECT_EQ(image.currentFrame(), 0);

    // Started again, it goes on from the first frame.
    image.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return image.currentFrame() == 1; }, 5000));
}

// ---------------------------------------------------------------------------------------
// TiledBackground

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

// ---------------------------------------------------------------------------------------
// UpDown

struct UpDownWithBuddy {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    ui::UpDown* arrows = new ui::UpDown(&window);

    UpDownWithBuddy(int minimum, int maximum, int step, int value)
    {
        edit->setReadOnly(true);
        arrows->setRange(minimum, maximum);
        arrows->setSingleStep(step);
        arrows->setValue(value);
        arrows->setBuddy(edit);
        arrows->setGeometry(40, 0, 17, 24);
        window.show();
    }
    void click(const char* which)
    {
        QTest::mouseClick(arrows->findChild<QToolButton*>(QString::fromLatin1(which)),
                          Qt::LeftButton);
    }
};

TEST(UpDown, ArrowsStepTheBuddyAndStopAtTheBounds)
{
    UpDownWithBuddy box(20, 100, 5, 20);
    EXPECT_EQ(box.edit->text(), QStringLiteral("20"));
    QSignalSpy changed(box.arrows, &ui::UpDown::valueChanged);

    for (int i = 0; i < 16; ++i)
        box.click("up");
    EXPECT_EQ(box.edit->text(), QStringLiteral("100"));
    EXPECT_EQ(changed.count(), 16);
    box.click("up");
    EXPECT_EQ(box.arrows->value(), 100);
    EXPECT_EQ(box.edit->text(), QStringLiteral("100"));
    EXPECT_EQ(changed.count(), 16);

    box.click("down");
    EXPECT_EQ(box.edit->text(), QStringLiteral("95"));
    for (int i = 0; i < 20; ++i)
        box.click("down");
    EXPECT_EQ(box.edit->text(), QStringLiteral("20"));
}

TEST(UpDown, UpAndDownKeysInTheBuddyStep)
{
    UpDownWithBuddy box(60, 120, 5, 120);
    QTest::keyClick(box.edit, Qt::Key_Down);
    EXPECT_EQ(box.edit->text(), QStringLiteral("115"));
    QTest::keyClick(box.edit, Qt::Key_Up);
    QTest::keyClick(box.edit, Qt::Key_Up);
    EXPECT_EQ(box.edit->text(), QStringLiteral("120"));
    // Typing into the read-only buddy changes nothing.
    QTest::keyClicks(box.edit, QStringLiteral("75"));
    EXPECT_EQ(box.edit->text(), QStringLiteral("120"));
    EXPECT_EQ(box.arrows->value(), 120);
}

TEST(UpDown, AnEditableBuddysTypedNumberIsWhereTheNextStepStarts)
{
    UpDownWithBuddy box(0, 100, 1, 3);
    box.edit->setReadOnly(false);
    box.edit->selectAll();
    QTest::keyClicks(box.edit, QStringLiteral("50"));
    EXPECT_EQ(box.edit->text(), QStringLiteral("50"));
    EXPECT_EQ(box.arrows->value(), 50);
    box.click("up");
    EXPECT_EQ(box.edit->text(), QStringLiteral("51"));

    // A number past the maximum steps from the maximum.
    box.edit->selectAll();
    QTest::keyClicks(box.edit, QStringLiteral("250"));
    box.click("down");
    EXPECT_EQ(box.edit->text(), QStringLiteral("99"));
}

TEST(UpDown, ValuesOutsideTheRangeAreHeldAtTheBounds)
{
    UpDownWithBuddy box(20, 100, 5, 20);
    box.arrows->setValue(500);
    EXPECT_EQ(box.edit->text(), QStringLiteral("100"));
    box.arrows->setMinimum(40);
    box.arrows->setValue(0);
    EXPECT_EQ(box.edit->text(), QStringLiteral("40"));

    // A step that would pass a bound lands on it.
    box.arrows->setSingleStep(30);
    box.arrows->setValue(80);
    box.click("up");
    EXPECT_EQ(box.edit->text(), QStringLiteral("100"));
}

// ---------------------------------------------------------------------------------------
// FlatButton

TEST(FlatButton, PressedFaceIsDarkerThanTheResting)
{
    ui::FlatButton button(QStringLiteral("Done"));
    button.resize(80, 28);
    const QColor resting = button.grab().toImage().pixelColor(4, 20);
    EXPECT_EQ(resting, button.palette().color(QPalette::Button));
    button.setDown(true);
    const QColor pressed = button.grab().toImage().pixelColor(4, 20);
    EXPECT_LT(pressed.lightness(), resting.lightness());
    EXPECT_GE(button.sizeHint().width(), button.fontMetrics().horizontalAdvance(button.text()));
}

} // namespace
