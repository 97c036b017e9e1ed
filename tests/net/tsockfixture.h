#pragma once

// What the TSock tests share: a listener on a free port that accepts every connection, a
// log of everything a socket tells its owner, and small helpers.

#include "net/tsock.h"
#include "net/wsaerrors.h"
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

namespace tsocktest {

using namespace net;
using support::spinFor;
using support::spinUntil;
using Entries = std::vector<std::string>;

inline std::string thrownText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ESockException& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

inline const char* kindName(SocketInfo kind)
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

inline const std::string kClosed = "Close: Socket Closed";

// Makes the platform answer the connection with a reset instead of an orderly close.
inline void resetHard(QTcpSocket& socket)
{
    const linger hard{1, 0};
    ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                 sizeof hard);
    socket.abort();
}

inline quint16 freePort()
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

} // namespace tsocktest
