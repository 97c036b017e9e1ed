// The player window's start and its connection, against a host of the test's own on a free
// port: addresses that cannot be reached, the login, requests the window sends, and errors
// that escape the socket layer.
#include "client/chatview.h"
#include "client/scoreboard.h"
#include "client/tchat.h"
#include "net/tsock.h"
#include "protocol/message.h"
#include "support/eventloop.h"
#include "ui/colours.h"

#include "fakeservices.h"
#include "ui_tchat.h"

#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace clienttest;
using support::spinUntil;

namespace {

class WindowStart : public ::testing::Test, public WindowUnderTest {
protected:
    WindowStart() { server.listen(QHostAddress::LocalHost); }

    QString address(const char* host = "127.0.0.1") const
    {
        return QString::fromLatin1(host) + QLatin1Char(':') + QString::number(server.serverPort());
    }
    // The window joins the test's host as `slot`; false when it did not log in.
    bool joinAs(int slot)
    {
        window->processParams({QStringLiteral("Bob"), address(), QStringLiteral("false")});
        if (!spinUntil([&] { return server.hasPendingConnections(); }))
            return false;
        peer.reset(server.nextPendingConnection());
        peer->write("CMD_sendlogininfo+" + QByteArray::number(slot) + protocol::kTerminator);
        return spinUntil([&] { return received().contains("CMD_logininfo+"); });
    }
    QByteArray received()
    {
        m_received += peer->readAll();
        return m_received;
    }
    QString lastChatLine() { return window->ui().mainchat->document()->lastBlock().text(); }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> peer;

private:
    QByteArray m_received;
};

} // namespace

TEST_F(WindowStart, AnUnreadableHostAddressIsReportedAndNothingConnects)
{
    window->processParams(
        {QStringLiteral("B\u00ffb"), QStringLiteral("256.1.1.1"), QStringLiteral("false")});
    EXPECT_EQ(dialogs.shown,
              QStringList{QStringLiteral("Host Lookup - Could Not Find Host Entry")});
    EXPECT_FALSE(window->connection().lobbyLinkOpened());
    EXPECT_EQ(window->state().loginName, QByteArray("B?b")); // 0xFF never goes out
    EXPECT_EQ(lastChatLine(), QStringLiteral("Loading Multi-player Game.. Please Wait."));
}

TEST_F(WindowStart, OneOrTwoArgumentsOnlyShowTheLoadingLine)
{
    window->processParams({QStringLiteral("Bob")});
    EXPECT_EQ(lastChatLine(), QStringLiteral("Loading Multi-player Game.. Please Wait."));
    EXPECT_FALSE(window->state().hosting);
    EXPECT_TRUE(window->state().loginName.isEmpty());
    EXPECT_FALSE(window->connection().lobbyLinkOpened());
}

TEST_F(WindowStart, AHostNameIsLookedUpFirstAndOneNotFoundIsReportedWithoutALink)
{
    window->processParams(
        {QStringLiteral("Bob"), QStringLiteral("no-such-host.invalid"), QStringLiteral("false")});
    ASSERT_TRUE(spinUntil([&] { return !dialogs.shown.isEmpty(); }));
    EXPECT_EQ(dialogs.shown,
              QStringList{QStringLiteral("Host Lookup - Could Not Find Host Entry")});
    EXPECT_FALSE(window->connection().lobbyLinkOpened());
    EXPECT_FALSE(window->state().connected);
    EXPECT_EQ(lastChatLine(), QStringLiteral("Loading Multi-player Game.. Please Wait."));
}

TEST_F(WindowStart, AHostNameThatIsFoundConnectsAndThenHoldsTheLobbyLink)
{
    window->processParams({QStringLiteral("Bob"), address("localhost"), QStringLiteral("false")});
    EXPECT_TRUE(spinUntil([&] { return server.hasPendingConnections(); }));
    EXPECT_TRUE(window->connection().lobbyLinkOpened());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// A table that is not there is told in the chat, in the notice colour, with the socket's
// reason, and the window stays open: once refused at once, once silent until the window
// gives up (a listener whose queue is full drops the connect's SYN, as a dead host would).
TEST_F(WindowStart, ATableThatCannotBeReachedIsToldInTheChatAndTheWindowStays)
{
    const QString refusing = address();
    server.close();
    window->setArguments({QStringLiteral("Bob"), refusing, QStringLiteral("false")});
    window->show(); // starts as the program does, once on screen
    ASSERT_TRUE(spinUntil([&] { return lastChatLine().contains(QLatin1String("reached")); }));
    EXPECT_EQ(lastChatLine(), QStringLiteral("The table at %1 could not be reached: Error #10061 "
                                             "(WSAECONNREFUSED)")
                                  .arg(refusing));
    const QTextBlock notice = window->ui().mainchat->document()->lastBlock();
    EXPECT_EQ(notice.begin().fragment().charFormat().foreground().color(),
              ui::toQColor(client::kNoticeColour));

    const int full = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(full, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr*>(&at), length), 0);
    ASSERT_EQ(::listen(full, 0), 0);
    ASSERT_EQ(::getsockname(full, reinterpret_cast<sockaddr*>(&at), &length), 0);
    const quint16 silentPort = ntohs(at.sin_port);
    QTcpSocket filler; // takes the one place in the queue, never accepted
    filler.connectToHost(QHostAddress::LocalHost, silentPort);
    ASSERT_TRUE(filler.waitForConnected(5000));

    WindowUnderTest second;
    second.window->connection().setConnectTimeout(200);
    const QString silent = QStringLiteral("127.0.0.1:%1").arg(silentPort);
    second.window->setArguments({QStringLiteral("Bob"), silent, QStringLiteral("false")});
    second.window->show();
    const auto secondLine = [&] {
        return second.window->ui().mainchat->document()->lastBlock().text();
    };
    EXPECT_TRUE(spinUntil([&] { return secondLine().contains(QLatin1String("reached")); }));
    EXPECT_EQ(secondLine(),
              QStringLiteral("The table at %1 could not be reached: Error #10060 (WSAETIMEDOUT)")
                  .arg(silent));
    ::close(full);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(second.window->isVisible());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// Whatever a listener on the lobby's port sends is read and dropped as it comes.
TEST_F(WindowStart, TheLobbyLinkReadsAndDropsWhatALocalListenerSends)
{
    QTcpServer lobby;
    ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost));
    window->connection().setLobbyPort(lobby.serverPort());
    window->processParams({QStringLiteral("Bob"), address(), QStringLiteral("false")});
    ASSERT_TRUE(spinUntil([&] { return lobby.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> talker(lobby.nextPendingConnection());
    const QByteArray block(1024 * 1024, 'x');
    for (int i = 0; i < 24; ++i) {
        talker->write(block);
        ASSERT_TRUE(spinUntil([&] { return talker->bytesToWrite() < block.size(); }));
    }
    ASSERT_TRUE(spinUntil([&] { return talker->bytesToWrite() == 0; }));
    EXPECT_TRUE(spinUntil(
        [&] { return window->connection().lobbyLinkHeldBytes() <= net::TSock::kReadChunk; }));
    EXPECT_LE(window->connection().lobbyLinkHeldBytes(), net::TSock::kReadChunk);
}

TEST_F(WindowStart, SlotOneAtATableTheWindowDidNotStartHasTheHostingWindowsRights)
{
    ASSERT_TRUE(joinAs(1));
    EXPECT_TRUE(window->ui().StartGame1->isEnabled());
    EXPECT_FALSE(window->ui().button_start->isHidden());
    EXPECT_TRUE(side.hosting); // the spy list may remove spectators
    peer->write("CMD_newplayerinfo+1+Bob" + QByteArray(1, protocol::kTerminator) +
                "CMD_newplayerinfo+3+Cy" + protocol::kTerminator);
    ASSERT_TRUE(spinUntil([&] { return window->roster().taken(3); }));
    EXPECT_TRUE(window->ui().mainchat->toPlainText().contains(
        QStringLiteral("You hold slot 1 and start the games; you may remove players.")));
    const std::unique_ptr<QMenu> menu = window->scoreBoard().rowMenu(3);
    menu->findChild<QAction*>(QStringLiteral("removefromgame1"))->trigger();
    EXPECT_TRUE(spinUntil([&] { return received().contains("CMD_kickhim+1+3"); }));

    // The start dialog closed with its frame gives the button back.
    QTest::mouseClick(window->ui().button_start, Qt::LeftButton);
    EXPECT_TRUE(window->ui().button_start->isHidden());
    window->gameStartDismissed();
    EXPECT_FALSE(window->ui().button_start->isHidden());

    // A newcomer to a running game is not offered a start button that would end it.
    peer->write("CMD_gamestats+20+120+0+0+0+0+0+0+0+0+0+0" + QByteArray(1, protocol::kTerminator));
    EXPECT_TRUE(spinUntil([&] { return window->ui().button_start->isHidden(); }));
    EXPECT_TRUE(window->ui().StartGame1->isEnabled());
    window->gameStartDismissed();
    EXPECT_TRUE(window->ui().button_start->isHidden());
}

TEST_F(WindowStart, OtherSlotsAreToldWhoHoldsSlotOneAndHaveNoRights)
{
    ASSERT_TRUE(joinAs(2));
    peer->write("CMD_newplayerinfo+2+Bob" + QByteArray(1, protocol::kTerminator) +
                "CMD_newplayerinfo+1+Cy" + protocol::kTerminator);
    EXPECT_TRUE(spinUntil(
        [&] { return lastChatLine() == QStringLiteral("Cy holds slot 1 and starts the games."); }));
    EXPECT_FALSE(window->ui().StartGame1->isEnabled());
    EXPECT_TRUE(window->ui().button_start->isHidden());
    EXPECT_FALSE(side.hosting);
}

TEST_F(WindowStart, TheHostingWindowsRowMenuActsOnEveryRowFromTwoToTen)
{
    ASSERT_TRUE(joinAs(1));
    for (const int row : {2, 7, 10}) {
        const std::unique_ptr<QMenu> menu = window->scoreBoard().rowMenu(row);
        menu->findChild<QAction*>(QStringLiteral("SettoJustWatch1"))->trigger();
        menu->findChild<QAction*>(QStringLiteral("UnsetJustWatch1"))->trigger();
        const QByteArray r = QByteArray::number(row);
        EXPECT_TRUE(spinUntil([&] {
            return received().contains("CMD_justwatch+" + r + "+1" + protocol::kTerminator +
                                       "CMD_justwatch+" + r + "+2" + protocol::kTerminator);
        })) << "row "
            << row;
    }
}

TEST_F(WindowStart, ErrorsEscapingTheSocketLayerShareTheWindowsOneBox)
{
    int open = 0;
    dialogs.whileOpen = [&] {
        ++open;
        EXPECT_EQ(open, 1); // never a second box over the first
        // Another socket fails meanwhile: its error waits for no box of its own.
        net::TSock second;
        second.OnInfo = [](net::TSock*, net::SocketInfo kind, const QString&) {
            if (kind == net::SocketInfo::Error)
                throw std::runtime_error("second failure");
        };
        second.setHostName(QStringLiteral("127.0.0.1"));
        second.setPortName(QStringLiteral("1"));
        second.open();
        spinUntil([] { return false; }, 300);
        --open;
    };
    net::TSock first;
    first.OnInfo = [](net::TSock*, net::SocketInfo kind, const QString&) {
        if (kind == net::SocketInfo::Error)
            throw std::runtime_error("first failure");
    };
    first.setHostName(QStringLiteral("127.0.0.1"));
    first.setPortName(QStringLiteral("1")); // nothing listens: the refusal is an Error report
    first.open();
    ASSERT_TRUE(spinUntil([&] { return !dialogs.shown.isEmpty(); }));
    // A handler that throws becomes the socket's own "Error here" (and only one box shows).
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("Error here")});
}
