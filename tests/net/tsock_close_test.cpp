// How connections end, and how events reach the owner: one at a time, never inside its
// own calls, with failing handlers stopped at the edge.
#include "tsockfixture.h"

using namespace tsocktest;

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
