// Snapshots between turns: the finished drawing with its caption, numbered from the
// counter the settings keep; and the menu items that open the viewer and the spy list.
#include "client/drawingboard.h"
#include "client/settingsfile.h"
#include "client/tchat.h"

#include "fakeservices.h"
#include "ui_tchat.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace clienttest;

namespace {

class Snapshots : public ::testing::Test, public WindowUnderTest {
protected:
    // Bob in slot 2 watches Ann draw a red line through the top-left corner; the turn
    // ends when Bob guesses.
    void playATurn()
    {
        host("CMD_sendlogininfo+2");
        host("CMD_newplayerinfo+2+Bob");
        host("CMD_existingplayers+1+Ann");
        host("CMD_nextplayer+1+0+_____ ");
        host("CMD_moveit+1+clRed+6+0+0");
        host("CMD_draw+1+clRed+6++300,2+");
        host("CMD_correctanswer+2+2+1+1+BACON");
    }
    Ui::Tchat& ui() { return window->ui(); }
    int counterInFile() { return client::readSettings(settingsPath(), -1).snapCount; }
    QString settingsPath() { return dir.filePath(QStringLiteral("zelklobby.ini")); }
};

} // namespace

TEST_F(Snapshots, TwoInOnePauseAreConsecutiveFilesOfTheSameCaptionedPicture)
{
    playATurn();
    ASSERT_FALSE(ui().button_snapshot->isHidden());
    EXPECT_EQ(ui().button_snapshot->text(), QStringLiteral("Take A Snap Shot"));
    ui().button_snapshot->click();
    ui().button_snapshot->click();

    ASSERT_EQ(snapshots.saved.size(), 2);
    EXPECT_EQ(snapshots.saved[0].first, 1); // no settings file: the counter starts again
    EXPECT_EQ(snapshots.saved[1].first, 2);
    const QImage& picture = snapshots.saved[0].second;
    EXPECT_EQ(picture, snapshots.saved[1].second);
    EXPECT_EQ(picture.size(), QSize(533, 369));
    // The caption's white box starts at (4, 4) over the red line; it holds black text;
    // the line goes on outside the box.
    EXPECT_EQ(picture.pixelColor(3, 2).red(), 255);
    EXPECT_EQ(picture.pixelColor(4, 4), QColor(Qt::white));
    int black = 0;
    for (int x = 4; x < 60; ++x) {
        for (int y = 4; y < 22; ++y)
            black += picture.pixelColor(x, y) == QColor(Qt::black) ? 1 : 0;
    }
    EXPECT_GT(black, 20);
    EXPECT_EQ(picture.pixelColor(500, 2).red(), 255);
    // A short date in numbers, the drawer and the answer.
    static const QRegularExpression caption(QStringLiteral("^[0-9][0-9./ -]*[0-9]: Ann-BACON$"));
    EXPECT_TRUE(caption.match(window->turnPanel().snapshotCaption()).hasMatch())
        << window->turnPanel().snapshotCaption().toStdString();
    // The counter is kept with the settings after each snapshot.
    EXPECT_EQ(counterInFile(), 2);
}

TEST_F(Snapshots, TheNextTurnWithdrawsTheButtonAndAPressDoesNothing)
{
    playATurn();
    host("CMD_nextplayer+2+3+_____ ");
    EXPECT_TRUE(ui().button_snapshot->isHidden());
    ui().button_snapshot->click();
    EXPECT_TRUE(snapshots.saved.isEmpty());
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

TEST_F(Snapshots, AnUnguessedTurnOffersTheButtonToo)
{
    host("CMD_sendlogininfo+2");
    host("CMD_newplayerinfo+2+Bob");
    host("CMD_existingplayers+1+Ann");
    host("CMD_nextplayer+1+0+_____ ");
    EXPECT_TRUE(ui().button_snapshot->isHidden());
    host("CMD_updateanswer+true+BACON");
    EXPECT_FALSE(ui().button_snapshot->isHidden());
    ui().button_snapshot->click();
    ASSERT_EQ(snapshots.saved.size(), 1);
}

TEST_F(Snapshots, TheCounterGoesOnFromTheSettingsFile)
{
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Quillon]\nSnapcount=7\n");
    file.close();
    playATurn(); // the settings are read when the host confirms our arrival
    ui().button_snapshot->click();
    ASSERT_EQ(snapshots.saved.size(), 1);
    EXPECT_EQ(snapshots.saved[0].first, 8);
    EXPECT_EQ(counterInFile(), 8);
}

TEST_F(Snapshots, AFullCounterKeepsNothingAndSaysSoAndANegativeOneStartsAtOne)
{
    const QByteArray full = "[Quillon]\nSnapcount=2147483647\n";
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(full);
    file.close();
    playATurn();
    ui().button_snapshot->click();
    EXPECT_TRUE(snapshots.saved.isEmpty()) << "nothing overwritten, no number past the last";
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("999999")))
        << dialogs.shown[0].toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), full);
    file.close();

    // A damaged counter below zero counts from the start.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Quillon]\nSnapcount=-5\n");
    file.close();
    window->loadinifile();
    ui().button_snapshot->click();
    ASSERT_EQ(snapshots.saved.size(), 1);
    EXPECT_EQ(snapshots.saved[0].first, 1);
    EXPECT_EQ(counterInFile(), 1);
}

TEST_F(Snapshots, AFailedSaveIsToldAndItsNumberIsNotStored)
{
    playATurn();
    snapshots.failWith = QStringLiteral("Unable to write /nowhere/snapshot1.jpg");
    ui().button_snapshot->click();
    EXPECT_EQ(dialogs.shown, QStringList{snapshots.failWith});
    EXPECT_FALSE(QFile::exists(settingsPath())); // nothing saved the counter
    snapshots.failWith.clear();
    ui().button_snapshot->click();
    ASSERT_EQ(snapshots.saved.size(), 1);
    EXPECT_EQ(snapshots.saved[0].first, 2); // the failed number was used up
    EXPECT_EQ(counterInFile(), 2);
}

TEST_F(Snapshots, TheViewMenuOpensTheViewerAndTheSpyListWhichFollowsTheRoster)
{
    ui().SnapShots1->trigger();
    ui().SpyList1->trigger();
    EXPECT_EQ(side.snapshotsShown, 1);
    EXPECT_EQ(side.spyListShown, 1);
    host("CMD_sendlogininfo+2");
    host("CMD_newplayerinfo+2+Bob");
    host("CMD_existingplayers+12+Zed");
    host("CMD_newplayerinfo+13+Zed");
    EXPECT_EQ(side.spectators, (QStringList{QStringLiteral("12: Zed"), QStringLiteral("13: Zed")}));
    host("CMD_playerdisconnected+12+Zed");
    EXPECT_EQ(side.spectators, QStringList{QStringLiteral("13: Zed")});
    EXPECT_FALSE(side.hosting); // a joining copy may not remove anybody
    window->hostpress();
    EXPECT_TRUE(side.hosting);
}
