// The drawer's line pacing: a burst at once, then a steady rate, never faster.
#include "client/linepacer.h"

#include <gtest/gtest.h>

using client::LinePacer;

namespace {

// Takes every line the pacer allows at `nowMs`; returns how many.
int takeAll(LinePacer& pacer, qint64 nowMs)
{
    int n = 0;
    while (pacer.hasLine(nowMs) && n < 10000) {
        pacer.spend();
        ++n;
    }
    return n;
}

} // namespace

TEST(LinePacer, GivesItsBurstAtOnceAndThenFortyFiveLinesASecond)
{
    LinePacer pacer;
    const qint64 start = 5'000'000; // any steady clock
    EXPECT_EQ(pacer.msUntilNext(start), 0);
    EXPECT_EQ(takeAll(pacer, start), 150);
    EXPECT_FALSE(pacer.hasLine(start));
    // A line is 1000/45 ms of refill: the next comes after 23 ms, not before.
    EXPECT_EQ(pacer.msUntilNext(start), 23);
    EXPECT_FALSE(pacer.hasLine(start + 22));
    EXPECT_EQ(pacer.msUntilNext(start + 22), 1);
    EXPECT_TRUE(pacer.hasLine(start + 23));
    EXPECT_TRUE(pacer.hasLine(start + 23)); // asking takes nothing
    pacer.spend();
    EXPECT_FALSE(pacer.hasLine(start + 23));

    // Sending whenever allowed for ten more seconds: 45 a second, no fraction lost.
    int sent = 0;
    for (qint64 t = start + 24; t <= start + 23 + 10'000; ++t)
        sent += takeAll(pacer, t);
    EXPECT_EQ(sent, 450);

    // A long pause refills the burst and no more; a clock going back gives nothing.
    const qint64 later = start + 3'600'000;
    EXPECT_EQ(takeAll(pacer, later), 150);
    EXPECT_EQ(takeAll(pacer, later - 60'000), 0);
    EXPECT_EQ(takeAll(pacer, later + 22), 0);
    EXPECT_EQ(takeAll(pacer, later + 23), 1);
}
