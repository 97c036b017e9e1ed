#include "protocol/tsock.h"
#include "protocol/wsaerrors.h"

#include "support/eventloop.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace protocol;
using support::spinFor;
using support::spinUntil;
using Entries = std::vector<std::string>;

namespace {

// The application object the sockets need, unless the program's main made one.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (QCoreApplication::instance() != nullptr)
            return;
        static int argc = 1;
        static char name[] = "tsock_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QCoreApplication> m_app;
};
[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::string thrownText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ESockException& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

const char* kindName(SocketInfo kind)
{
    static const char* const names[] = {"Lookup",  "Connect", "Close",  "Listen",
                                        "Receive", "Send",    "Accept", "Error"};
    return names[static_cast<int>(kind)];
}

// Everything a socket tells its owner, as readable lines: "connect", "read 5", "Close: Socket
// Closed". With quiet set, the data reports (Receive/Send, read, write) are left out.
struct Log {
    Entries entries;
    bool quiet = false;

    void attach(TSock& sock)
    {
        sock.OnConnect = [this](TSock*) {
            entries.push_back("connect");
        };
        sock.OnDisconnect = [this](TSock*) {
            entries.push_back("disconnect");
        };
        sock.OnInfo = [this](TSock*, SocketInfo kind, const QString& msg) {
            if (!quiet || (kind != SocketInfo::Receive && kind != SocketInfo::Send))
                entries.push_back(std::string(kindName(kind)) + ": " + msg.toStdString());
        };
        sock.OnRead = [this](TSock*, qint64 count) {
            if (!quiet)
                entries.push_back("read " + std::to_string(count));
        };
        sock.OnWrite = [this](TSock*) {
            if (!quiet)
                entries.push_back("write");
        };
    }
    bool has(const std::string& entry) const
    {
        return std::find(entries.begin(), entries.end(), entry) != entries.end();
    }
};

const std::string kClosed = "Close: Socket Closed";

// Makes the platform answer the connection with a reset instead of an orderly close.
void resetHard(QTcpSocket& socket)
{
    const linger hard{1, 0};
    ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                 sizeof hard);
    socket.abort();
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class TSockTest : public ::testing::Test {
protected:
    // Listens on a port the system picks; every waiting connection is accepted into `accepted`.
    void startListener()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.OnAccept = [this](TSock* sock) {
            TSock* fresh = nullptr;
            if (sock->accept(fresh))
                accepted.push_back(fresh);
        };
        listener.setListen(true);
        port = QString::number(listener.localPort());
    }

    void openTo(TSock& client, const QString& host, const QString& portText)
    {
        client.setHostName(host);
        client.setPortName(portText);
        client.open();
    }

    // Connects the client to the listener; the accepted socket is accepted.back().
    void connectPair(TSock& client)
    {
        if (port.isEmpty())
            startListener();
        const size_t before = accepted.size();
        openTo(client, QStringLiteral("127.0.0.1"), port);
        ASSERT_TRUE(spinUntil([&] { return client.connected() && accepted.size() > before; }));
    }

    // Connects the client to a plain Qt socket on the other end.
    std::unique_ptr<QTcpSocket> plainPeerOf(TSock& client, QTcpServer& server)
    {
        server.listen(QHostAddress::LocalHost, 0);
        openTo(client, QStringLiteral("127.0.0.1"), QString::number(server.serverPort()));
        spinUntil([&] { return client.connected() && server.hasPendingConnections(); });
        EXPECT_TRUE(client.connected());
        return std::unique_ptr<QTcpSocket>(server.nextPendingConnection());
    }

    TSock listener; // owns the accepted sockets
    std::vector<TSock*> accepted;
    QString port;
};

} // namespace

// --- listening ----------------------------------------------------------------------------------

TEST_F(TSockTest, ListenReportsPortLookupThenStartedAndAlreadyRunningTheSecondTime)
{
    Log log;
    log.attach(listener);
    listener.setPortName(QStringLiteral("0"));
    listener.setListen(true);
    listener.setListen(true);
    EXPECT_TRUE(listener.listen());
    EXPECT_NE(listener.localPort(), 0);
    EXPECT_EQ(log.entries, (Entries{"Lookup: Lookup Of Port 0", "Listen: Listening Started",
                                    "Listen: Listening Already Running"}));
}

TEST_F(TSockTest, PortTakenByAnotherProgramRaisesBindingErrorAndLeavesListenerClosed)
{
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::AnyIPv4, 0));
    listener.setPortName(QString::number(other.serverPort()));
    EXPECT_EQ(thrownText([&] { listener.setListen(true); }), "Listen - Error Binding Socket");
    EXPECT_FALSE(listener.listen());
    EXPECT_FALSE(listener.hasHandle());

    other.close(); // the same socket listens once the port is free
    listener.setListen(true);
    EXPECT_TRUE(listener.listen());
}

TEST_F(TSockTest, StoppingReportsSocketClosedThenListeningStoppedAndFreesThePort)
{
    startListener();
    const quint16 freed = listener.localPort();
    Log log;
    log.attach(listener);
    listener.setListen(false);
    listener.setListen(false); // not listening: nothing happens
    EXPECT_EQ(log.entries, (Entries{kClosed, "Listen: Listening Stopped"}));
    EXPECT_FALSE(listener.hasHandle());
    QTcpServer other;
    EXPECT_TRUE(other.listen(QHostAddress::AnyIPv4, freed));
}

TEST_F(TSockTest, PortTextIsADecimalNumberOrAServiceName)
{
    TSock sock;
    sock.setPortName(QStringLiteral("no-such-service"));
    EXPECT_EQ(thrownText([&] { sock.setListen(true); }),
              "Port Lookup - Could Not Find Service Entry");
    sock.setPortName(QStringLiteral("70000"));
    EXPECT_EQ(thrownText([&] { sock.open(); }), "Port Lookup - Could Not Find Service Entry");
    EXPECT_FALSE(sock.hasHandle());

    if (::getservbyname("discard", "tcp") == nullptr || ::geteuid() != 0)
        GTEST_SKIP() << "needs the discard service entry and the right to bind port 9";
    sock.setPortName(QStringLiteral("discard"));
    sock.setListen(true);
    EXPECT_EQ(sock.localPort(), 9);
}

// --- connecting ---------------------------------------------------------------------------------

TEST_F(TSockTest, OpenReturnsAtOnceAndTellsOfTheConnectionLater)
{
    startListener();
    TSock client;
    Log log;
    log.attach(client);
    openTo(client, QStringLiteral("127.0.0.1"), port);
    const Entries lookups{"Lookup: Lookup Of Port " + port.toStdString(),
                          "Lookup: Lookup Of Host 127.0.0.1"};
    EXPECT_EQ(log.entries, lookups);
    EXPECT_FALSE(client.connected());
    EXPECT_TRUE(client.hasHandle());

    ASSERT_TRUE(spinUntil([&] { return client.connected(); }));
    Entries expected = lookups;
    expected.insert(expected.end(), {"Connect: Non-Blocking Socket Connected", "connect"});
    EXPECT_EQ(log.entries, expected);
    EXPECT_TRUE(client.open()); // already has a handle: does nothing
    EXPECT_EQ(log.entries, expected);
}

TEST_F(TSockTest, RefusedConnectReportsOnlyTheErrorAndKeepsTheHandle)
{
    TSock client;
    Log log;
    log.attach(client);
    openTo(client, QStringLiteral("127.0.0.1"), QString::number(freePort()));
    const std::string refused = "Error: Error #10061 (WSAECONNREFUSED)";
    ASSERT_TRUE(spinUntil([&] { return log.has(refused); }));
    spinFor(100);
    EXPECT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries.back(), refused);
    EXPECT_FALSE(client.connected());
    EXPECT_TRUE(client.hasHandle());

    EXPECT_FALSE(client.open()); // still holds its handle
    EXPECT_EQ(log.entries.size(), 3u);
    EXPECT_TRUE(client.close());
    EXPECT_EQ(log.entries.back(), kClosed);
}

TEST_F(TSockTest, UnreadableAddressRaisesHostLookupErrorAndLeavesNoHandle)
{
    startListener();
    TSock client;
    for (const char* bad : {"1.2.3.x", "1::2", "300.1.1.1"}) {
        EXPECT_EQ(thrownText([&] { openTo(client, QString::fromLatin1(bad), port); }),
                  "Host Lookup - Could Not Find Host Entry")
            << bad;
        EXPECT_FALSE(client.hasHandle());
    }
    openTo(client, QStringLiteral("127.0.0.1"), port);
    EXPECT_TRUE(spinUntil([&] { return client.connected(); }));
}

TEST_F(TSockTest, HostNamesAreLookedUpInTheBackgroundAndEarlyOutputWaits)
{
    startListener();
    QByteArray received;
    listener.OnRead = [&](TSock* sock, qint64) {
        received += sock->receive();
    };
    TSock client;
    openTo(client, QStringLiteral("localhost"), port);
    client.send("sent before the lookup ended");
    EXPECT_FALSE(client.connected());
    ASSERT_TRUE(spinUntil([&] { return received.size() == 28; }));
    EXPECT_EQ(received, "sent before the lookup ended");
    EXPECT_EQ(accepted.back()->hostName(), QStringLiteral("127.0.0.1"));
}

TEST_F(TSockTest, UnknownHostNameReportsHostNotFound)
{
    TSock client;
    Log log;
    log.attach(client);
    openTo(client, QStringLiteral("no-such-host.invalid"), QStringLiteral("7772"));
    const std::string notFound = "Error: Error #11001 (WSAHOST_NOT_FOUND)";
    ASSERT_TRUE(spinUntil([&] { return log.has(notFound); }, 20000));
    EXPECT_EQ(log.entries, (Entries{"Lookup: Lookup Of Port 7772",
                                    "Lookup: Lookup Of Host no-such-host.invalid", notFound}));
    EXPECT_TRUE(client.hasHandle());
    EXPECT_FALSE(client.connected());
}

// --- data ---------------------------------------------------------------------------------------

TEST_F(TSockTest, BytesTravelBothWaysUnchangedWithTheirReports)
{
    QByteArray atServer, atClient;
    listener.OnRead = [&](TSock* sock, qint64) {
        atServer += sock->receive();
    };
    TSock client;
    connectPair(client);
    Log clientLog;
    clientLog.attach(client);
    client.OnRead = [&](TSock* sock, qint64) {
        atClient += sock->receive();
    };

    const QByteArray binary("CMD_chat+3+a\0b|clMaroon\xff", 25);
    client.send(binary);
    EXPECT_EQ(clientLog.entries, Entries{"Send: Non-Blocking Outgoing Data"});
    accepted.back()->send("CMD_full+\xff");
    ASSERT_TRUE(spinUntil([&] { return atServer.size() == 25 && atClient.size() == 10; }));
    EXPECT_EQ(atServer, binary);
    EXPECT_EQ(atClient, "CMD_full+\xff");
}

TEST_F(TSockTest, ReadCountsEverythingNotYetReceived)
{
    TSock client;
    connectPair(client);
    TSock& server = *accepted.back();
    Log log;
    log.attach(server);
    client.send("abc");
    ASSERT_TRUE(spinUntil([&] { return log.has("read 3"); }));
    client.send("de");
    ASSERT_TRUE(spinUntil([&] { return log.has("read 5"); }));
    EXPECT_EQ(log.entries, (Entries{"Receive: Non-Blocking Incoming Data", "read 3",
                                    "Receive: Non-Blocking Incoming Data", "read 5"}));
    EXPECT_EQ(server.receive(), "abcde");
    EXPECT_EQ(server.receive(), "");
}

TEST_F(TSockTest, OutputThePeerDoesNotTakeWaitsAndArrivesInOrder)
{
    // The peer is a plain socket with a small receive buffer that reads nothing for a while.
    const int listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 16 * 1024;
    ::setsockopt(listenFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listenFd, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listenFd, 1), 0);
    ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length);

    TSock client;
    Log log;
    log.attach(client);
    openTo(client, QStringLiteral("127.0.0.1"), QString::number(ntohs(address.sin_port)));
    ASSERT_TRUE(spinUntil([&] { return client.connected(); }));
    const int peerFd = ::accept(listenFd, nullptr, nullptr);
    ::close(listenFd);
    ASSERT_GE(peerFd, 0);

    const QByteArray first(4 << 20, 'a'), second(4 << 20, 'b');
    client.send(first);
    client.send(second);
    EXPECT_GT(client.pendingOutput(), 0);

    QByteArray received;
    char chunk[65536];
    ASSERT_TRUE(spinUntil([&] {
        for (ssize_t n; (n = ::recv(peerFd, chunk, sizeof chunk, MSG_DONTWAIT)) > 0;)
            received.append(chunk, n);
        return received.size() == first.size() + second.size();
    }));
    ::close(peerFd);
    EXPECT_TRUE(received == first + second);
    EXPECT_EQ(client.pendingOutput(), 0);
    EXPECT_TRUE(log.has("write")); // told when the platform took the waiting output
}

TEST_F(TSockTest, ReceiveAfterThePeerClosedStillReturnsWhatWasBuffered)
{
    TSock client;
    connectPair(client);
    TSock& server = *accepted.back();
    Log log;
    log.attach(server);
    client.send("last words");
    client.close();
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }));
    EXPECT_FALSE(server.hasHandle());
    EXPECT_EQ(server.receive(), "last words");
    EXPECT_EQ(thrownText([&] { server.receive(); }), "Receive - Socket Not Connected");
}

TEST_F(TSockTest, OutputSentJustBeforeCloseStillReachesThePeer)
{
    TSock client;
    connectPair(client);
    QByteArray received;
    Log log;
    log.quiet = true;
    log.attach(client);
    client.OnRead = [&](TSock* sock, qint64) {
        received += sock->receive();
    };

    const QByteArray bulk(16 << 20, 'x');
    accepted.back()->send(bulk);
    accepted.back()->send("CMD_full+\xff");
    ASSERT_GT(accepted.back()->pendingOutput(), 0); // more than the platform takes at once
    accepted.back()->close();
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }, 10000));
    EXPECT_TRUE(received == bulk + "CMD_full+\xff");
    EXPECT_EQ(log.entries, (Entries{"disconnect", kClosed}));
}

TEST_F(TSockTest, MisuseRaisesClearErrorsAndChangesNothing)
{
    TSock fresh;
    EXPECT_EQ(thrownText([&] { fresh.send("x"); }), "Send - Socket Not Connected");
    EXPECT_EQ(thrownText([&] { fresh.receive(); }), "Receive - Socket Not Connected");
    TSock* untouched = &fresh;
    EXPECT_EQ(thrownText([&] { fresh.accept(untouched); }),
              "Accept - Socket Not In Listening Mode");
    EXPECT_EQ(untouched, &fresh);
    fresh.setSocketType(SocketType::Datagram);
    EXPECT_EQ(thrownText([&] { fresh.open(); }), "Open - Datagram Sockets Are Not Supported");

    startListener();
    EXPECT_EQ(thrownText([&] { listener.send("x"); }), "Send - Cannot Send On A Listener Socket");
    EXPECT_EQ(thrownText([&] { listener.receive(); }),
              "Receive - Cannot Receive On A Listener Socket");
    TSock client;
    connectPair(client);
    EXPECT_EQ(thrownText([&] { client.setListen(true); }), "Listen - Socket Already In Use");
    EXPECT_TRUE(listener.listen());
    EXPECT_TRUE(client.connected());
}

// --- ends of connections ------------------------------------------------------------------------

TEST_F(TSockTest, OrderlyCloseByThePeerFiresOnDisconnectThenSocketClosed)
{
    TSock client;
    connectPair(client);
    Log log;
    log.attach(client);
    accepted.back()->close();
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }));
    spinFor(50);
    EXPECT_EQ(log.entries, (Entries{"disconnect", kClosed}));
    EXPECT_FALSE(client.connected());
    EXPECT_FALSE(client.hasHandle());
}

TEST_F(TSockTest, OwnerClosingInOnDisconnectSeesSocketClosedTwiceAndCloseRepeats)
{
    Log log;
    log.attach(listener); // copied onto the accepted socket
    listener.OnDisconnect = [&](TSock* sock) {
        log.entries.push_back("disconnect");
        sock->close();
    };
    TSock client;
    connectPair(client);
    log.entries.clear();
    client.close();
    ASSERT_TRUE(spinUntil([&] { return log.entries.size() >= 3; }));
    EXPECT_EQ(log.entries, (Entries{"disconnect", kClosed, kClosed}));

    log.entries.clear();
    EXPECT_FALSE(accepted.back()->close());
    EXPECT_EQ(log.entries, Entries{kClosed});
}

// Qt reports the peer's reset exactly like its orderly close; TSock tells them apart itself.
TEST(QtSocketBehaviour, ResetAndOrderlyCloseLookAlike)
{
    for (const bool reset : {false, true}) {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        ASSERT_TRUE(spinUntil([&] { return server.hasPendingConnections(); }));
        std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
        ASSERT_TRUE(spinUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }));
        std::vector<QAbstractSocket::SocketError> errors;
        QObject::connect(&client, &QAbstractSocket::errorOccurred,
                         [&](QAbstractSocket::SocketError e) { errors.push_back(e); });
        if (reset)
            resetHard(*peer);
        else
            peer->abort();
        ASSERT_TRUE(spinUntil([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
        EXPECT_EQ(errors, std::vector{QAbstractSocket::RemoteHostClosedError}) << reset;
    }
}

TEST_F(TSockTest, ResetByThePeerReportsTheErrorThenSocketClosedWithoutOnDisconnect)
{
    QTcpServer server;
    TSock client;
    const auto peer = plainPeerOf(client, server);
    Log log;
    log.attach(client);
    resetHard(*peer);
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }));
    spinFor(50);
    EXPECT_EQ(log.entries, (Entries{"Error: Error #10054 (WSAECONNRESET)", kClosed}));
    EXPECT_FALSE(client.hasHandle());
}

TEST_F(TSockTest, ConnectionBreakingInsideSendIsToldAfterSendReturns)
{
    QTcpServer server;
    TSock client;
    const auto peer = plainPeerOf(client, server);
    Log log;
    log.attach(client);
    resetHard(*peer);
    client.send("into the void"); // Qt learns of the reset here, inside the call
    EXPECT_EQ(log.entries, Entries{"Send: Non-Blocking Outgoing Data"});
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }));
    EXPECT_EQ(log.entries, (Entries{"Send: Non-Blocking Outgoing Data",
                                    "Error: Error #10054 (WSAECONNRESET)", kClosed}));
}

TEST_F(TSockTest, DestroyingAConnectedSocketIsSilentAndThePeerSeesTheClose)
{
    auto client = std::make_unique<TSock>();
    connectPair(*client);
    Log clientLog, serverLog;
    clientLog.attach(*client);
    serverLog.attach(*accepted.back());
    client.reset();
    ASSERT_TRUE(spinUntil([&] { return serverLog.has(kClosed); }));
    EXPECT_EQ(serverLog.entries, (Entries{"disconnect", kClosed}));
    EXPECT_TRUE(clientLog.entries.empty());
}

TEST_F(TSockTest, DestroyingAListenerClosesTheSocketsItAccepted)
{
    auto own = std::make_unique<TSock>();
    own->setPortName(QStringLiteral("0"));
    own->OnAccept = [](TSock* sock) {
        TSock* fresh = nullptr;
        sock->accept(fresh);
    };
    own->setListen(true);
    const quint16 freed = own->localPort();
    TSock client;
    openTo(client, QStringLiteral("127.0.0.1"), QString::number(freed));
    ASSERT_TRUE(spinUntil([&] { return own->findChildren<TSock*>().size() == 1; }));
    Log log;
    log.attach(client);
    own.reset();
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }));
    EXPECT_EQ(log.entries, (Entries{"disconnect", kClosed}));
    QTcpServer other;
    EXPECT_TRUE(other.listen(QHostAddress::AnyIPv4, freed));
}

TEST_F(TSockTest, OwnerMayDeleteASocketInsideItsOwnHandler)
{
    int deleted = 0;
    listener.OnDisconnect = [&](TSock* sock) {
        accepted.erase(std::find(accepted.begin(), accepted.end(), sock));
        delete sock;
        ++deleted;
    };
    TSock first, second;
    connectPair(first);
    first.close();
    ASSERT_TRUE(spinUntil([&] { return deleted == 1; }));
    connectPair(second); // the listener goes on
    second.send("still works");
    EXPECT_TRUE(spinUntil([&] { return accepted.back()->pendingInput() == 11; }));
}

// --- accepting ----------------------------------------------------------------------------------

TEST_F(TSockTest, AcceptHandsTheConnectionToANewSocketWithTheListenersHandlers)
{
    std::vector<std::pair<TSock*, std::string>> infos;
    TSock* readBy = nullptr;
    listener.setBlocking(true);
    listener.setBlockingTimeout(250);
    listener.OnInfo = [&](TSock* sender, SocketInfo kind, const QString& msg) {
        if (kind != SocketInfo::Receive)
            infos.emplace_back(sender, msg.toStdString());
    };
    listener.OnRead = [&](TSock* sender, qint64) {
        readBy = sender;
    };
    listener.OnConnect = [](TSock*) {
    };
    startListener();
    infos.clear();

    TSock client;
    connectPair(client);
    TSock* fresh = accepted.back();
    EXPECT_EQ(infos, (std::vector<std::pair<TSock*, std::string>>{
                         {fresh, "Setting PortName While Connected Has No Effect"},
                         {fresh, "Setting HostName While Connected Has No Effect"},
                         {&listener, "Created New TSock Structure"}}));
    EXPECT_EQ(fresh->parent(), &listener);
    EXPECT_TRUE(fresh->connected());
    EXPECT_EQ(fresh->hostName(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(listener.remoteAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(fresh->portName(), QStringLiteral("0"));
    EXPECT_TRUE(fresh->blocking());
    EXPECT_EQ(fresh->blockingTimeout(), 250);
    EXPECT_FALSE(fresh->OnConnect);
    EXPECT_FALSE(fresh->OnAccept);

    client.send("hi");
    ASSERT_TRUE(spinUntil([&] { return readBy != nullptr; }));
    EXPECT_EQ(readBy, fresh);
}

TEST_F(TSockTest, AcceptWithNothingWaitingReportsAndLeavesTheVariable)
{
    startListener();
    Log log;
    log.attach(listener);
    TSock* untouched = &listener;
    EXPECT_FALSE(listener.accept(untouched));
    EXPECT_EQ(untouched, &listener);
    EXPECT_EQ(log.entries, Entries{"Accept: Could Not Accept Connection"});
}

TEST_F(TSockTest, ConnectionClosedBeforeItWasAcceptedStillDeliversItsData)
{
    int waiting = 0;
    startListener();
    listener.OnAccept = [&](TSock*) {
        ++waiting;
    };
    TSock client;
    openTo(client, QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(spinUntil([&] { return client.connected() && waiting == 1; }));
    client.send("hello");
    client.close();
    spinFor(100);

    Log log;
    log.attach(listener);
    TSock* fresh = nullptr;
    ASSERT_TRUE(listener.accept(fresh));
    ASSERT_TRUE(spinUntil([&] { return log.has(kClosed); }));
    EXPECT_EQ(log.entries,
              (Entries{"Lookup: Setting PortName While Connected Has No Effect",
                       "Lookup: Setting HostName While Connected Has No Effect",
                       "Accept: Created New TSock Structure", "Receive: Non-Blocking Incoming Data",
                       "read 5", "disconnect", kClosed}));
    EXPECT_EQ(fresh->receive(), "hello");
}

// --- handlers that fail, handlers that wait -----------------------------------------------------

TEST_F(TSockTest, FailingInfoHandlerBecomesErrorHereExceptInClose)
{
    TSock client;
    connectPair(client);
    client.OnInfo = [](TSock*, SocketInfo, const QString&) {
        throw std::runtime_error("boom");
    };
    EXPECT_EQ(thrownText([&] { client.send("x"); }), "Error here");
    EXPECT_EQ(thrownText([&] { client.setHostName(QStringLiteral("a")); }), "Error here");
    EXPECT_EQ(client.hostName(), QStringLiteral("a"));
    EXPECT_TRUE(client.close());
    EXPECT_FALSE(client.hasHandle());
}

TEST_F(TSockTest, FailingHandlerDuringAnEventGoesToTheUnhandledErrorHandler)
{
    std::vector<std::string> unhandled;
    TSock::setUnhandledErrorHandler(
        [&](const QString& text) { unhandled.push_back(text.toStdString()); });
    const auto restore = qScopeGuard([] { TSock::setUnhandledErrorHandler(nullptr); });

    TSock refused;
    refused.OnInfo = [](TSock*, SocketInfo kind, const QString&) {
        if (kind == SocketInfo::Error)
            throw std::runtime_error("boom");
    };
    openTo(refused, QStringLiteral("127.0.0.1"), QString::number(freePort()));
    ASSERT_TRUE(spinUntil([&] { return !unhandled.empty(); }));
    EXPECT_EQ(unhandled, Entries{"Error here"});
    EXPECT_TRUE(refused.hasHandle());

    QByteArray received;
    listener.OnRead = [&](TSock* sock, qint64) {
        received += sock->receive();
        if (received == "bad")
            throw std::runtime_error("'bad' is not a valid integer value");
    };
    TSock client;
    connectPair(client);
    client.send("bad");
    ASSERT_TRUE(spinUntil([&] { return unhandled.size() == 2; }));
    EXPECT_EQ(unhandled.back(), "'bad' is not a valid integer value");
    client.send(" then good"); // the connection goes on
    EXPECT_TRUE(spinUntil([&] { return received == "bad then good"; }));
}

TEST_F(TSockTest, EventsWaitUntilTheRunningHandlerReturns)
{
    // A handler that spins the event loop (a message box, say) while more data and then the
    // peer's close come in sees each of them after it has returned, in order.
    Entries order;
    TSock client;
    listener.OnRead = [&](TSock* sock, qint64) {
        const std::string text = sock->receive().toStdString();
        order.push_back("read " + text);
        if (text == "first")
            client.send("second");
        else if (text == "third")
            client.close();
        else
            return;
        spinFor(200);
        order.push_back(text + " handled");
    };
    listener.OnDisconnect = [&](TSock*) {
        order.push_back("disconnect");
    };
    connectPair(client);
    client.send("first");
    ASSERT_TRUE(spinUntil([&] { return order.size() == 3; }));
    client.send("third");
    ASSERT_TRUE(spinUntil([&] { return order.size() == 6; }));
    EXPECT_EQ(order, (Entries{"read first", "first handled", "read second", "read third",
                              "third handled", "disconnect"}));
}

// --- error codes --------------------------------------------------------------------------------

TEST(WsaErrors, NamesEveryKnownCodeAndOnlyThose)
{
    EXPECT_EQ(wsaErrorText(10061), QStringLiteral("Error #10061 (WSAECONNREFUSED)"));
    EXPECT_EQ(wsaErrorText(12345), QStringLiteral("Error #12345 (UNKNOWN ERROR)"));
    EXPECT_EQ(wsaErrorName(10004), QLatin1String("WSAEINTR"));
    EXPECT_EQ(wsaErrorName(10035), QLatin1String("WSAEWOULDBLOCK"));
    EXPECT_EQ(wsaErrorName(10054), QLatin1String("WSAECONNRESET"));
    EXPECT_EQ(wsaErrorName(10071), QLatin1String("WSAEREMOTE"));
    EXPECT_EQ(wsaErrorName(10093), QLatin1String("WSANOTINITIALISED"));
    EXPECT_EQ(wsaErrorName(10101), QLatin1String("WSAEDISCON"));
    EXPECT_EQ(wsaErrorName(11004), QLatin1String("WSANO_DATA"));
    const auto known = [](int code) {
        return wsaErrorName(code) != QLatin1String("UNKNOWN ERROR");
    };
    for (int code = 10035; code <= 10071; ++code)
        EXPECT_TRUE(known(code)) << code;
    for (int code : {10009, 10013, 10014, 10022, 10024, 10091, 10092, 11001, 11002, 11003})
        EXPECT_TRUE(known(code)) << code;
    for (int code :
         {0, -1, 10000, 10003, 10005, 10034, 10072, 10090, 10094, 10100, 10102, 11000, 11005})
        EXPECT_FALSE(known(code)) << code;
    EXPECT_FALSE(known(wsaErrorCode(QAbstractSocket::UnknownSocketError)));
    EXPECT_EQ(wsaErrorCode(QAbstractSocket::ConnectionRefusedError), 10061);
    EXPECT_EQ(wsaErrorCode(QAbstractSocket::HostNotFoundError), 11001);
}
