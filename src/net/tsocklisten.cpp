// TSock as a listener: listening, and taking the connections that wait on it.
#include "net/tsock.h"
#include "net/tsockinternals.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace net {

namespace {

// Waiting connections the platform keeps for a listener.
constexpr int kListenBacklog = 5;

} // namespace

void TSock::setListen(bool on)
{
    Busy busy(*this);
    QPointer<TSock> self(this);
    if (!on) {
        if (!m_listening)
            return;
        m_listening = false; // so that close reports "Socket Closed"
        close();
        if (self)
            report(SocketInfo::Listen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (hasHandle() && !m_listening)
        throw ESockException("Listen - Socket Already In Use");
    if (m_listening) {
        report(SocketInfo::Listen, QStringLiteral("Listening Already Running"));
        return;
    }

    const quint16 port = lookupPort();
    if (!self || hasHandle())
        return; // the report's handler did something else with the socket

    auto* server = new QTcpServer(this);
    server->setProxy(QNetworkProxy::NoProxy);
    server->setListenBacklogSize(kListenBacklog);
    if (!server->listen(QHostAddress::AnyIPv4, port)) {
        const auto error = server->serverError();
        delete server;
        switch (error) {
        case QAbstractSocket::AddressInUseError:
        case QAbstractSocket::SocketAccessError:
        case QAbstractSocket::SocketAddressNotAvailableError:
            throw ESockException("Listen - Error Binding Socket");
        default:
            throw ESockException("Listen - Error Starting Listen");
        }
    }
    m_server = server;
    connect(server, &QTcpServer::newConnection, this, [this] {
        notify({Note::Incoming, m_generation});
    });
    connect(server, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        notify({Note::Failed, m_generation, static_cast<int>(error)});
    });
    m_listening = true;
    report(SocketInfo::Listen, QStringLiteral("Listening Started"));
}

bool TSock::accept(TSock*& newSock)
{
    Busy busy(*this);
    if (!m_listening || !m_server)
        throw ESockException("Accept - Socket Not In Listening Mode");
    QTcpSocket* incoming = m_server->nextPendingConnection();
    if (incoming == nullptr) {
        report(SocketInfo::Accept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    m_remoteAddress = incoming->peerAddress().toString();

    auto* sock = new TSock(this);
    Busy sockBusy(*sock); // what Qt already knows about the connection is delivered after this
    sock->m_keepAlive = m_keepAlive;
    sock->OnRead = OnRead;
    sock->OnWrite = OnWrite;
    sock->OnDisconnect = OnDisconnect;
    sock->OnInfo = OnInfo;
    sock->attach(incoming);
    sock->m_connected = true;
    if (incoming->state() == QAbstractSocket::ConnectedState && incoming->isValid()) {
        sock->applySocketOptions();
        sock->m_witness.watch(*incoming);
    }
    // Data, and even the peer's close, may have come in while the connection waited.
    if (incoming->bytesAvailable() > 0)
        sock->m_pending.push_back({Note::Read, sock->m_generation});
    if (incoming->state() != QAbstractSocket::ConnectedState) {
        const auto error = incoming->error();
        if (error == QAbstractSocket::RemoteHostClosedError ||
            error == QAbstractSocket::UnknownSocketError)
            sock->m_pending.push_back({Note::Disconnected, sock->m_generation});
        else
            sock->m_pending.push_back({Note::Failed, sock->m_generation, static_cast<int>(error)});
    }
    newSock = sock;

    QPointer<TSock> self(this);
    sock->setPortName(m_portName);
    sock->setHostName(m_remoteAddress);
    if (self)
        report(SocketInfo::Accept, QStringLiteral("Created New TSock Structure"));
    return true;
}

void TSock::onIncoming()
{
    call(OnAccept, this);
}

} // namespace net
