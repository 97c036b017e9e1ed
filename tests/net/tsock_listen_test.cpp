// TSock as a listener: listening, stopping, and handing out the connections that wait.
#include "tsockfixture.h"

using namespace tsocktest;

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

// --- accepting ----------------------------------------------------------------------------------

TEST_F(TSockTest, AcceptHandsTheConnectionToANewSocketWithTheListenersHandlers)
{
    std::vector<std::pair<TSock*, std::string>> infos;
    TSock* readBy = nullptr;
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
