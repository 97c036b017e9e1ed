#include "support/httpserver.h"

#include <algorithm>

namespace support {

HttpServer::HttpServer()
{
    m_listener.listen(QHostAddress::LocalHost);
    connect(&m_listener, &QTcpServer::newConnection, this, [this] {
        m_peer.reset(m_listener.nextPendingConnection());
        connect(m_peer.get(), &QTcpSocket::readyRead, this, [this] { onRead(); });
    });
    connect(&m_pace, &QTimer::timeout, this, [this] { sendPiece(); });
}

QString HttpServer::url(const char* path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(QLatin1StringView(path));
}

void HttpServer::onRead()
{
    m_received += m_peer->readAll();
    if (!request.isEmpty() || !m_received.contains("\r\n\r\n"))
        return;
    request = m_received;
    m_peer->write(head);
    m_pace.start(2);
}

void HttpServer::sendPiece()
{
    constexpr qsizetype kPiece = 8192;
    qsizetype end = std::min(m_sent + kPiece, body.size());
    if (stallAt >= 0)
        end = std::min(end, stallAt);
    if (closeAt >= 0)
        end = std::min(end, closeAt);
    m_peer->write(body.mid(m_sent, end - m_sent));
    m_sent = end;
    if (m_sent == stallAt) {
        m_pace.stop();
    } else if (m_sent == body.size() || m_sent == closeAt) {
        m_pace.stop();
        m_peer->disconnectFromHost();
    }
}

} // namespace support
