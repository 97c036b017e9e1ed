#include "client/displayclock.h"

#include <gtest/gtest.h>

using client::DisplayClock;

TEST(DisplayClock, ShowsMinutesAndTwoDigitSeconds)
{
    EXPECT_EQ(DisplayClock::minutesAndSeconds(125), QStringLiteral("2:05"));
    EXPECT_EQ(DisplayClock::minutesAndSeconds(600), QStringLiteral("10:00"));
    EXPECT_EQ(DisplayClock::minutesAndSeconds(7), QStringLiteral("0:07"));
}

TEST(DisplayClock, TheTurnBarShrinksTwoPixelsASecondUntilItMeetsTheTimeLeft)
{
    DisplayClock clock; // the bar starts 100 wide
    clock.start(60, DisplayClock::Mode::Drawing);
    for (int i = 0; i < 39; ++i)
        clock.tick();
    EXPECT_EQ(clock.secondsLeft(), 21);
    EXPECT_EQ(clock.barWidth(), 22);
    clock.tick();
    EXPECT_EQ(clock.secondsLeft(), 20);
    EXPECT_EQ(clock.barWidth(), 20);
    clock.tick();
    EXPECT_EQ(clock.barWidth(), 19); // from now on it follows the seconds
}

TEST(DisplayClock, ALongTurnKeepsAFullBarUntilAHundredSecondsAreLeft)
{
    DisplayClock clock;
    clock.start(120, DisplayClock::Mode::Drawing);
    for (int i = 0; i < 20; ++i) {
        clock.tick();
        EXPECT_EQ(clock.barWidth(), 100);
    }
    clock.tick();
    EXPECT_EQ(clock.barWidth(), 99);
}

TEST(DisplayClock, APauseShowsTenPixelsASecondAndStopsBelowZero)
{
    DisplayClock clock;
    clock.start(10, DisplayClock::Mode::Pause);
    clock.tick();
    EXPECT_EQ(clock.barWidth(), 90);
    EXPECT_EQ(clock.text(), QStringLiteral("0:09"));
    for (int i = 0; i < 10; ++i)
        clock.tick();
    EXPECT_EQ(clock.text(), QStringLiteral("0:00"));
    EXPECT_FALSE(clock.running());
    const int left = clock.secondsLeft();
    clock.tick();
    EXPECT_EQ(clock.secondsLeft(), left); // stopped
}
