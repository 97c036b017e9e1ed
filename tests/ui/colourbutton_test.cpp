// The colour button and its palette of twenty colours, and the colour dialog behind "Other".
#include "uitest.h"

using namespace uitest;

namespace {

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

} // namespace
