// File, "Copy Invite Link": offered while this copy hosts, it puts the link to its table on
// the clipboard, or says why there is none.
#include "client/invitelinkaction.h"
#include "client/tchat.h"

#include "fakehost.h"
#include "fakeservices.h"
#include "ui_tchat.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

using client::InviteLinkAction;

TEST(InviteLinkAction, CopiesTheFirstLocalAddresssLinkOnlyWhileHosting)
{
    QAction action(QStringLiteral("Copy Invite Link"));
    QStringList addresses{QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.7")};
    InviteLinkAction invite(&action, [&] { return addresses; });
    QSignalSpy failed(&invite, &InviteLinkAction::failed);
    QApplication::clipboard()->setText(QStringLiteral("before"));

    EXPECT_FALSE(action.isEnabled());
    action.trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));

    invite.setHosting(true);
    ASSERT_TRUE(action.isEnabled());
    action.trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("quillon://192.168.1.20"));

    // The addresses are read at each copy: a network that changed since counts.
    addresses = {QStringLiteral("172.16.0.3")};
    action.trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("quillon://172.16.0.3"));
    EXPECT_EQ(failed.count(), 0);

    addresses.clear();
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    action.trigger();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.front().front().toString().contains(QStringLiteral("no local network")));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

namespace {
class InviteInTheWindow : public ::testing::Test, public clienttest::WindowUnderTest {};
} // namespace

TEST_F(InviteInTheWindow, TheFileMenuOffersItBesideStartGameAndNotAtSomebodyElsesTable)
{
    Ui::Tchat& ui = window->ui();
    const QList<QAction*> file = ui.File1->actions();
    ASSERT_GE(file.size(), 3);
    EXPECT_EQ(file.at(0), ui.StartGame1);
    EXPECT_EQ(file.at(1)->text(), QStringLiteral("Copy Invite Link"));
    EXPECT_EQ(file.last(), ui.Exit1); // Exit stays last: the keyboard reaches it with Up
    EXPECT_FALSE(file.at(1)->isEnabled());

    // Slot 1 at a table this copy joined leads it, but the table is not on this computer.
    clienttest::FakeHost table;
    ASSERT_TRUE(table.seat(*window, 1));
    EXPECT_TRUE(ui.StartGame1->isEnabled());
    EXPECT_FALSE(file.at(1)->isEnabled());
}
