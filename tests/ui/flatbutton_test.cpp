// The flat button's faces.
#include "uitest.h"

using namespace uitest;

namespace {

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
