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

TEST(DisplayClock, FollowsTheHostsReportsWithoutMovingAClockThatCountedAlong)
{
    // The host reports its clock less two; its drawing phase runs four seconds longer than
    // the turn a window shows.
    DisplayClock drawing;
    drawing.start(120, DisplayClock::Mode::Drawing);
    for (int i = 0; i < 4; ++i)
        drawing.tick();
    drawing.followHost(118);
    EXPECT_EQ(drawing.secondsLeft(), 116);
    drawing.followHost(60); // a window that was stopped or came late
    EXPECT_EQ(drawing.secondsLeft(), 58);
    EXPECT_EQ(drawing.text(), QStringLiteral("0:58"));

    DisplayClock pause;
    pause.start(10, DisplayClock::Mode::Pause);
    for (int i = 0; i < 5; ++i)
        pause.tick();
    pause.followHost(3);
    EXPECT_EQ(pause.secondsLeft(), 5);

    // A newcomer during a break has no clock running yet; the phase's last report starts none.
    DisplayClock newcomer;
    newcomer.followHost(6);
    EXPECT_TRUE(newcomer.running());
    EXPECT_EQ(newcomer.secondsLeft(), 8);
    DisplayClock ended;
    ended.followHost(-2);
    EXPECT_FALSE(ended.running());
}
