// The game start dialog: its values, their steps and bounds, and what Start hands over.
#include "windowstest.h"

using namespace windowstest;

namespace {

TEST(GameStartDialog, IsAStayOnTopToolWindowThatDoesNotBlockThePlayerWindow)
{
    windows::GameStartDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quillon - Start Game"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.windowType(), Qt::Tool);
    dialog.show();
    EXPECT_FALSE(dialog.isModal());
    EXPECT_FALSE(child<QCheckBox>(dialog, "team")->isChecked());
}

TEST(GameStartDialog, ScoreStepsUpFrom20InFivesAndStopsAt100)
{
    windows::GameStartDialog dialog;
    dialog.show();
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("20"));
    clickArrow(dialog, "UpDown1", "up");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("25"));
    for (int i = 0; i < 15; ++i)
        clickArrow(dialog, "UpDown1", "up");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("100"));
    clickArrow(dialog, "UpDown1", "up");
    clickArrow(dialog, "UpDown1", "up");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("100"));
    clickArrow(dialog, "UpDown1", "down");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("95"));
}

TEST(GameStartDialog, TimeStepsDownFrom120InFivesAndStopsAt60)
{
    windows::GameStartDialog dialog;
    dialog.show();
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("120"));
    clickArrow(dialog, "UpDown2", "up");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("120"));
    clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("115"));
    for (int i = 0; i < 11; ++i)
        clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("60"));
    clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("60"));
    EXPECT_EQ(dialog.timePerTurnText(), QStringLiteral("60"));
}

TEST(GameStartDialog, ValuesCannotBeTypedIn)
{
    windows::GameStartDialog dialog;
    dialog.show();
    for (const char* name : {"playtoscore", "timeperturn"}) {
        auto* edit = child<QLineEdit>(dialog, name);
        const QString before = edit->text();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, QStringLiteral("7"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        EXPECT_EQ(edit->text(), before) << name;
    }
}

TEST(GameStartDialog, StartingUntouchedHandsOverNoTeamsScore20AndTime120ThenHides)
{
    windows::GameStartDialog dialog;
    std::optional<StartRequest> request;
    dialog.setStartHandler([&](bool team, const QString& score, const QString& time) {
        request = StartRequest{team, score, time};
    });
    dialog.show();
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);

    ASSERT_TRUE(request.has_value());
    EXPECT_FALSE(request->team);
    EXPECT_EQ(request->playToScore, QStringLiteral("20"));
    EXPECT_EQ(request->timePerTurn, QStringLiteral("120"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(GameStartDialog, ChosenValuesAreHandedOverAndKeptForTheNextOpening)
{
    windows::GameStartDialog dialog;
    std::vector<StartRequest> requests;
    dialog.setStartHandler([&](bool team, const QString& score, const QString& time) {
        requests.push_back({team, score, time});
    });
    dialog.show();
    clickArrow(dialog, "UpDown1", "up");
    clickArrow(dialog, "UpDown1", "up");
    clickArrow(dialog, "UpDown2", "down");
    QTest::mouseClick(child<QCheckBox>(dialog, "team"), Qt::LeftButton);
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);

    dialog.show();
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("30"));
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("115"));
    EXPECT_TRUE(child<QCheckBox>(dialog, "team")->isChecked());
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);

    ASSERT_EQ(requests.size(), 2u);
    for (const StartRequest& request : requests) {
        EXPECT_TRUE(request.team);
        EXPECT_EQ(request.playToScore, QStringLiteral("30"));
        EXPECT_EQ(request.timePerTurn, QStringLiteral("115"));
    }
}

} // namespace
