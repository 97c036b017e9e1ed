#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace support {

// A web server of the test's own on a free loopback port. It answers the first request
// with `head` and then `body`, the body in pieces a few milliseconds apart so that it
// reaches the client in many reads. It stops sending after `stallAt` body bytes, leaving the
// connection open, or closes after `closeAt` body bytes.
class HttpServer : public QObject {
public:
    QByteArray head;
    QByteArray body;
    qsizetype stallAt = -1;
    qsizetype closeAt = -1;
    QByteArray request; // everything received, once the blank line has come

    HttpServer();

    quint16 port() const { return m_listener.serverPort(); }
    QString url(const char* path = "/lobby/zlbsetup.exe") const;

private:
    void onRead();
    void sendPiece();

    QTcpServer m_listener;
    std::unique_ptr<QTcpSocket> m_peer;
    QTimer m_pace;
    QByteArray m_received;
    qsizetype m_sent = 0;
};

} // namespace support
