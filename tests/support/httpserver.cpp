#include "support/httpserver.h"

#include <algorithm>

namespace support {

HttpServer::HttpServer()
{
    m_listener.listen(QHostAddress::LocalHost);
    connect(&m_listener, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
            auto peer = std::make_unique<Peer>();
            peer->socket.reset(socket);
            Peer* raw = peer.get();
            connect(socket, &QTcpSocket::readyRead, this, [this, raw] { onRead(*raw); });
            m_peers.push_back(std::move(peer));
        }
    });
    connect(&m_pace, &QTimer::timeout, this, [this] { sendPieces(); });
}

HttpServer::~HttpServer()
{
    // The sockets go before the lambdas that name their peers could run again.
    for (auto& peer : m_peers)
        peer->socket->disconnect(this);
}

QString HttpServer::url(const char* path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(QLatin1StringView(path));
}

void HttpServer::onRead(Peer& peer)
{
    peer.received += peer.socket->readAll();
    if (peer.answered || !peer.received.contains("\r\n\r\n"))
        return;
    peer.answered = true;
    peer.sending = true;
    if (request.isEmpty())
        request = peer.received;
    const QByteArray requestLine = peer.received.left(peer.received.indexOf("\r\n"));
    requestLines.append(requestLine);
    const QByteArray path = requestLine.split(' ').value(1);
    const auto route = routes.constFind(path);
    if (route != routes.cend()) {
        peer.answer = *route;
    } else {
        peer.answer = {head, body};
        peer.endless = endless && !body.isEmpty();
    }
    peer.socket->write(peer.answer.head);
    m_pace.start(2);
}

void HttpServer::sendPieces()
{
    bool busy = false;
    for (auto& peer : m_peers) {
        if (peer->sending && peer->socket->state() == QAbstractSocket::ConnectedState) {
            sendPiece(*peer);
            busy = busy || peer->sending;
        }
    }
    if (!busy)
        m_pace.stop();
}

void HttpServer::sendPiece(Peer& peer)
{
    constexpr qsizetype kPiece = 8192;
    const QByteArray& bytes = peer.answer.body;
    if (peer.endless) {
        QByteArray piece;
        while (piece.size() < kPiece)
            piece += bytes.mid((peer.sent + piece.size()) % bytes.size());
        piece.truncate(kPiece);
        peer.socket->write(piece);
        peer.sent += kPiece;
        m_bodySent += kPiece;
        return;
    }
    qsizetype end = std::min(peer.sent + kPiece, bytes.size());
    if (stallAt >= 0)
        end = std::min(end, stallAt);
    if (closeAt >= 0)
        end = std::min(end, closeAt);
    peer.socket->write(bytes.mid(peer.sent, end - peer.sent));
    m_bodySent += end - peer.sent;
    peer.sent = end;
    if (peer.sent == stallAt) {
        peer.sending = false;
    } else if (peer.sent == bytes.size() || peer.sent == closeAt) {
        peer.sending = false;
        peer.socket->disconnectFromHost();
    }
}

} // namespace support
