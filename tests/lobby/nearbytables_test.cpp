// The launcher's list of tables on this network: what a row says, and which address a
// double click or the Join button asks to join.
#include "lobby/heardtablesmodel.h"
#include "lobby/nearbytableswidget.h"

#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace lobby;

namespace {

HeardTable tableAt(const QString& address, const QString& name, int players, bool running)
{
    HeardTable t;
    t.address = address;
    t.hostName = name;
    t.players = players;
    t.gameRunning = running;
    return t;
}

QString rowText(const NearbyTablesWidget& w, int row)
{
    return w.list()->model()->index(row, 0).data().toString();
}

// As a real double click arrives: a click, then the second press as a double click.
void doubleClickAt(QListView* list, QPoint where)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, where);
}

void doubleClickRow(NearbyTablesWidget& w, int row)
{
    doubleClickAt(w.list(), w.list()->visualRect(w.list()->model()->index(row, 0)).center());
}

} // namespace

TEST(NearbyTables, RowsSayWhoseTableHowManyPlayAndWhetherAGameRuns)
{
    HeardTable watched = tableAt(QStringLiteral("10.0.0.6:7772"), QStringLiteral("Bob"), 1, false);
    watched.spectators = 2;
    EXPECT_EQ(
        describeTable(tableAt(QStringLiteral("10.0.0.5:7772"), QStringLiteral("Ann"), 4, true)),
        QStringLiteral("Ann's table \u2014 4 players \u2014 game running"));
    EXPECT_EQ(describeTable(watched),
              QStringLiteral("Bob's table \u2014 1 player \u2014 2 watching \u2014 waiting"));
}

TEST(NearbyTables, ADoubleClickOrJoinAsksForTheRowsAddress)
{
    NearbyTablesWidget w;
    w.resize(400, 300);
    w.show();
    QSignalSpy joins(&w, &NearbyTablesWidget::joinRequested);
    w.showTables(
        {tableAt(QStringLiteral("10.0.0.5:7772"), QStringLiteral("Ann"), 4, true),
         tableAt(QStringLiteral("10.0.0.6:7773"), QStringLiteral("<b>Bob</b>"), 0, false)});
    ASSERT_EQ(w.list()->model()->rowCount(), 2);
    EXPECT_EQ(rowText(w, 1), QStringLiteral("<b>Bob</b>'s table \u2014 0 players \u2014 waiting"));
    EXPECT_FALSE(w.joinButton()->isEnabled());                               // nothing chosen yet
    doubleClickAt(w.list(), QPoint(10, w.list()->viewport()->height() - 5)); // below the rows
    EXPECT_EQ(joins.size(), 0);

    doubleClickRow(w, 1);
    ASSERT_EQ(joins.size(), 1);
    EXPECT_EQ(joins[0][0].toString(), QStringLiteral("10.0.0.6:7773"));

    w.list()->setCurrentIndex(w.list()->model()->index(0, 0));
    ASSERT_TRUE(w.joinButton()->isEnabled());
    QTest::mouseClick(w.joinButton(), Qt::LeftButton);
    ASSERT_EQ(joins.size(), 2);
    EXPECT_EQ(joins[1][0].toString(), QStringLiteral("10.0.0.5:7772"));
}

TEST(NearbyTables, TheChoiceStaysOnItsTableWhileOthersComeAndGo)
{
    NearbyTablesWidget w;
    w.show();
    QSignalSpy joins(&w, &NearbyTablesWidget::joinRequested);
    const HeardTable ann =
        tableAt(QStringLiteral("10.0.0.5:7772"), QStringLiteral("Ann"), 1, false);
    const HeardTable bob =
        tableAt(QStringLiteral("10.0.0.6:7772"), QStringLiteral("Bob"), 2, false);
    w.showTables({ann, bob});
    w.list()->setCurrentIndex(w.list()->model()->index(1, 0)); // Bob's

    // Ann's table goes, Cy's comes, Bob's game starts: Join still means Bob's table.
    HeardTable bobPlaying = bob;
    bobPlaying.gameRunning = true;
    w.showTables(
        {bobPlaying, tableAt(QStringLiteral("10.0.0.7:7772"), QStringLiteral("Cy"), 1, false)});
    ASSERT_EQ(w.list()->model()->rowCount(), 2);
    EXPECT_EQ(rowText(w, 0), QStringLiteral("Bob's table \u2014 2 players \u2014 game running"));
    QTest::mouseClick(w.joinButton(), Qt::LeftButton);
    ASSERT_EQ(joins.size(), 1);
    EXPECT_EQ(joins[0][0].toString(), QStringLiteral("10.0.0.6:7772"));

    // When the chosen table goes, there is nothing to join.
    w.showTables({});
    EXPECT_EQ(w.list()->model()->rowCount(), 0);
    EXPECT_FALSE(w.joinButton()->isEnabled());
}
