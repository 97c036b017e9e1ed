#pragma once

// What the HttpDownload tests share: a small HTTP server run by the test itself on the same
// thread (get()'s nested event loop serves both), bodies and heads to serve, and a log of a
// download's signals.

#include "net/httpdownload.h"

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace httpdownloadtest {

using net::HttpDownload;

// Answers the first connection with `head` and then `body`, the body in pieces a few
// milliseconds apart so it reaches the client in many reads. Stops sending after `stallAt`
// body bytes, leaving the connection open, or closes after `closeAt` body bytes.
class Server : public QObject {
public:
    QByteArray head;
    QByteArray body;
    qsizetype stallAt = -1;
    qsizetype closeAt = -1;
    QByteArray request; // everything received, once the blank line has come

    Server()
    {
        m_listener.listen(QHostAddress::LocalHost);
        QObject::connect(&m_listener, &QTcpServer::newConnection, this, [this] {
            m_peer.reset(m_listener.nextPendingConnection());
            QObject::connect(m_peer.get(), &QTcpSocket::readyRead, this, [this] { onRead(); });
        });
        QObject::connect(&m_pace, &QTimer::timeout, this, [this] { sendPiece(); });
    }

    QString url(const char* path = "/lobby/zlbsetup.exe") const
    {
        return QStringLiteral("http://127.0.0.1:%1%2")
            .arg(m_listener.serverPort())
            .arg(QLatin1StringView(path));
    }

private:
    void onRead()
    {
        m_received += m_peer->readAll();
        if (!request.isEmpty() || !m_received.contains("\r\n\r\n"))
            return;
        request = m_received;
        m_peer->write(head);
        m_pace.start(2);
    }

    void sendPiece()
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

    QTcpServer m_listener;
    std::unique_ptr<QTcpSocket> m_peer;
    QTimer m_pace;
    QByteArray m_received;
    qsizetype m_sent = 0;
};

inline QByteArray randomBody(qsizetype size)
{
    QRandomGenerator random(7);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

inline QByteArray okHead(qsizetype length)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           QByteArray::number(length) + "\r\n\r\n";
}

// The events of a download as lines: "HTTP/1.0 200 OK" for a header line, "begin", "data 8192".
struct Events {
    QList<QByteArray> lines;
    qint64 lastCount = 0;

    explicit Events(HttpDownload& download)
    {
        QObject::connect(&download, &HttpDownload::headerLine,
                         [this](const QByteArray& line) { lines << line; });
        QObject::connect(&download, &HttpDownload::bodyBegins, [this] { lines << "begin"; });
        QObject::connect(&download, &HttpDownload::bodyData, [this](qint64 count) {
            lines << "data " + QByteArray::number(count);
            lastCount = count;
        });
    }
};

} // namespace httpdownloadtest
