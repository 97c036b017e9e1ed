// The player as the game drives it: play() hands the clip over and returns, a new clip cuts
// off the old one, and where there is no output or no such clip there is simply no sound.
#include "media/clipplayer.h"

#include "clipnames.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTest>

#include <gtest/gtest.h>

using cliptest::clipNames;

namespace {

bool hasAudioOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

TEST(ClipPlayer, WithoutAnOutputEveryPlayIsSilentAndReturnsAtOnce)
{
    if (hasAudioOutput())
        GTEST_SKIP() << "this machine has an audio output";
    media::ClipPlayer player;
    QList<QByteArray> names = clipNames();
    for (const QByteArray& name : clipNames())
        names << name.toUpper();
    names << "wave21"
          << ""
          << "../pictures/icon" << QByteArray(100000, 'x');

    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& name : names) {
        SCOPED_TRACE(name.left(20).constData());
        EXPECT_NO_THROW(player.play(name));
        EXPECT_TRUE(player.playing().isEmpty());
    }
    // The clips last forty seconds and more between them; a player that waited on any one
    // of them would still be here.
    EXPECT_LT(timer.elapsed(), 2000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(player.playing().isEmpty());
}

TEST(ClipPlayer, OnAnOutputANewClipCutsOffTheOldAndTheLastPlaysToItsEnd)
{
    if (!hasAudioOutput())
        GTEST_SKIP() << "this machine has no audio output";
    media::ClipPlayer player;
    player.play("Wave6"); // snoring, 3.7 seconds
    EXPECT_EQ(player.playing(), "wave6");

    QElapsedTimer timer;
    timer.start();
    player.play("TURN"); // one second
    EXPECT_EQ(player.playing(), "turn");
    EXPECT_LT(timer.elapsed(), 500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.playing().isEmpty(); }, 5000));
    // Not dropped as soon as the output has taken it in: it sounded for its whole second.
    EXPECT_GE(timer.elapsed(), 900);

    player.play("cat0");
    EXPECT_EQ(player.playing(), "cat0");
    player.play("wave21");
    EXPECT_TRUE(player.playing().isEmpty());
    player.play("cat0");
    player.stop();
    EXPECT_TRUE(player.playing().isEmpty());
}

} // namespace
