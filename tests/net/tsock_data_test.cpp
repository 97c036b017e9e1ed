// TSock as a client: connecting, and bytes travelling both ways.
#include "tsockfixture.h"

using namespace tsocktest;

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
