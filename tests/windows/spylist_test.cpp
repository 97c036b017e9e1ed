// The spy list: "Remove From Game" acts on the entry under the pointer, whatever is
// selected, and only on the hosting copy.
#include "windows/spylist.h"

#include "windowstest.h"

#include <QListWidget>
#include <QMenu>

using namespace windowstest;

namespace {

class SpyListWindow : public ::testing::Test {
protected:
    SpyListWindow()
    {
        list.setRemoveHandler([this](int slot) { removed.push_back(slot); });
        list.setEntries(
            {QStringLiteral("12: Zed"), QStringLiteral("13: Zed"), QStringLiteral("x: broken")});
        list.show();
    }
    QListWidget& entries() { return *child<QListWidget>(list, "listbox_spys"); }
    QAction& removeItem()
    {
        return *list.popup()->findChild<QAction*>(QStringLiteral("popup_kickhim"));
    }
    // The pointer comes to rest over row `row` (-1: below the last entry).
    void pointAt(int row)
    {
        const QPoint at = row >= 0 ? entries().visualItemRect(entries().item(row)).center()
                                   : QPoint(5, entries().viewport()->height() - 2);
        QMouseEvent move(QEvent::MouseMove, at, entries().viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(entries().viewport(), &move);
    }

    windows::SpyList list;
    std::vector<int> removed;
};

} // namespace

TEST_F(SpyListWindow, RemovalTakesTheEntryUnderThePointerNotTheSelectedOne)
{
    EXPECT_EQ(list.windowTitle(), QStringLiteral("Quillon - Spys"));
    EXPECT_EQ(removeItem().text(), QStringLiteral("Remove From Game"));
    list.setRemovalEnabled(true);
    entries().setCurrentRow(0);
    pointAt(1); // two spectators of one name: the slot tells them apart
    removeItem().trigger();
    pointAt(2); // no number before the ":": ignored
    removeItem().trigger();
    pointAt(-1); // over no entry
    removeItem().trigger();
    EXPECT_EQ(removed, std::vector<int>{13});
}

TEST_F(SpyListWindow, AJoiningCopyCannotRemoveAnybody)
{
    EXPECT_FALSE(removeItem().isEnabled());
    list.setRemovalEnabled(true);
    EXPECT_TRUE(removeItem().isEnabled());
    list.setRemovalEnabled(false);
    pointAt(0);
    removeItem().trigger(); // a disabled action does not fire
    EXPECT_TRUE(removed.empty());
}

TEST_F(SpyListWindow, EntriesFollowTheTableWhileHiddenAndDoneHides)
{
    QTest::mouseClick(child<QPushButton>(list, "button_done"), Qt::LeftButton);
    EXPECT_FALSE(list.isVisible());
    list.setEntries({QStringLiteral("11: Eve")});
    list.show();
    EXPECT_EQ(list.entries(), QStringList{QStringLiteral("11: Eve")});
}
