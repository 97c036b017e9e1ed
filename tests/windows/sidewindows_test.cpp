// The side windows as a set around the player window.
#include "windowstest.h"

using namespace windowstest;

namespace {

struct PlayerWindowWithSideWindows {
    RecordingShell shell;
    QWidget mainWindow;
    windows::SideWindowSet sides{&mainWindow, shell};

    PlayerWindowWithSideWindows()
    {
        mainWindow.setGeometry(100, 80, 800, 600);
        mainWindow.show();
    }
};

void expectCentredOn(const QWidget& window, const QWidget& over)
{
    const QPoint offset = window.frameGeometry().center() - over.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << window.objectName().toStdString();
}

TEST(SideWindowSet, WindowsStartHiddenAndOpenCentredOnThePlayerWindow)
{
    PlayerWindowWithSideWindows player;
    EXPECT_FALSE(player.sides.help()->isVisible());
    EXPECT_FALSE(player.sides.about()->isVisible());
    EXPECT_FALSE(player.sides.gameStart()->isVisible());

    player.sides.showGameStart();
    EXPECT_TRUE(player.sides.gameStart()->isVisible());
    expectCentredOn(*player.sides.gameStart(), player.mainWindow);
    player.sides.showHelp();
    EXPECT_TRUE(player.sides.help()->isVisible());
    expectCentredOn(*player.sides.help(), player.mainWindow);
    player.sides.showAbout();
    EXPECT_TRUE(player.sides.about()->isVisible());
    expectCentredOn(*player.sides.about(), player.mainWindow);
}

TEST(SideWindowSet, TheHelpWindowsAboutButtonOpensTheAboutWindow)
{
    PlayerWindowWithSideWindows player;
    player.sides.showHelp();
    QTest::mouseClick(child<ui::FlatButton>(*player.sides.help(), "SelButton7"), Qt::LeftButton);
    EXPECT_TRUE(player.sides.about()->isVisible());
    EXPECT_TRUE(player.sides.help()->isVisible());
}

TEST(SideWindowSet, TimePerTurnAndStartFollowTheDialog)
{
    PlayerWindowWithSideWindows player;
    std::optional<StartRequest> request;
    player.sides.setStartGameHandler([&](bool team, const QString& score, const QString& time) {
        request = StartRequest{team, score, time};
    });
    int dismissed = 0;
    player.sides.setStartGameDismissedHandler([&] { ++dismissed; });
    EXPECT_EQ(player.sides.timePerTurnText(), QStringLiteral("120"));

    player.sides.showGameStart();
    const QWidget& dialog = *player.sides.gameStart();
    clickArrow(dialog, "UpDown2", "down");
    clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(player.sides.timePerTurnText(), QStringLiteral("110"));
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->timePerTurn, QStringLiteral("110"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(player.sides.timePerTurnText(), QStringLiteral("110"));
    EXPECT_EQ(dismissed, 0);

    // The frame's close button starts nothing and is told, so the button can come back.
    request.reset();
    player.sides.showGameStart();
    player.sides.gameStart()->close();
    EXPECT_EQ(dismissed, 1);
    EXPECT_FALSE(request.has_value());
}

TEST(SideWindowSet, ClosingThePlayerWindowFirstTakesTheSideWindowsWithIt)
{
    RecordingShell shell;
    auto* mainWindow = new QWidget;
    windows::SideWindowSet sides(mainWindow, shell);
    QSignalSpy gone(sides.help(), &QObject::destroyed);
    delete mainWindow;
    EXPECT_EQ(gone.count(), 1);
    EXPECT_EQ(sides.help(), nullptr);
    EXPECT_EQ(sides.gameStart(), nullptr);
}

} // namespace
