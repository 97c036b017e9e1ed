#pragma once

#include "protocol/message.h"
#include "support/eventloop.h"

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace e2e {

inline QByteArray term(const QByteArray& line)
{
    return line + protocol::kTerminator;
}

// A host of our own on a free port, talking to one window.
class FakeHost {
public:
    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }

    bool accept(int timeoutMs)
    {
        if (!support::spinUntil([&] { return m_server.hasPendingConnections(); }, timeoutMs))
            return false;
        m_window.reset(m_server.nextPendingConnection());
        m_window->setParent(nullptr);
        QObject::connect(m_window.get(), &QTcpSocket::readyRead,
                         [this] { m_received += m_window->readAll(); });
        return true;
    }
    void send(const QByteArray& bytes) { m_window->write(bytes); }
    QTcpSocket& socket() { return *m_window; }

    // How many terminated messages equal to `message` have arrived so far.
    qsizetype countOf(const QByteArray& message) const { return m_received.count(term(message)); }

private:
    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_window;
    QByteArray m_received;
};

} // namespace e2e
