#pragma once

#include "client/tchat.h"
#include "protocol/message.h"
#include "support/eventloop.h"

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace clienttest {

// A host of the test's own on a free port: it seats one window and hears everything the
// window sends.
class FakeHost {
public:
    FakeHost() { m_server.listen(QHostAddress::LocalHost); }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

    // The window joins as `slot` (the host answers its login with its arrival); false when
    // it did not log in.
    bool seat(client::Tchat& window, int slot)
    {
        window.processParams({QStringLiteral("Bob"), address(), QStringLiteral("false")});
        if (!support::spinUntil([&] { return m_server.hasPendingConnections(); }))
            return false;
        m_peer.reset(m_server.nextPendingConnection());
        const QByteArray s = QByteArray::number(slot);
        send("CMD_sendlogininfo+" + s);
        if (!support::spinUntil([&] { return !take().isEmpty(); }))
            return false;
        send("CMD_newplayerinfo+" + s + "+Bob");
        return support::spinUntil([&] { return window.state().connected; });
    }
    void send(const QByteArray& message) { m_peer->write(message + protocol::kTerminator); }

    // The messages (without terminator) the window sent since the last call, waiting a
    // moment for those on their way.
    QList<QByteArray> take()
    {
        support::spinFor(50);
        m_received += m_peer->readAll();
        QList<QByteArray> messages;
        qsizetype end;
        while ((end = m_received.indexOf(protocol::kTerminator)) >= 0) {
            messages.append(m_received.left(end));
            m_received.remove(0, end + 1);
        }
        return messages;
    }

private:
    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_peer;
    QByteArray m_received;
};

} // namespace clienttest
