// The up-down arrows and the edit they step.
#include "uitest.h"

using namespace uitest;

namespace {

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

} // namespace
