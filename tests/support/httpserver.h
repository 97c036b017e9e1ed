#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

namespace support {

// A web server of the test's own on a free loopback port. It answers a request with `head`
// and then `body`, the body in pieces a few milliseconds apart so that it reaches the client
// in many reads. It stops sending after `stallAt` body bytes, leaving the connection open,
// or closes after `closeAt` body bytes. An `endless` body is sent over and over and never
// ends. A path in `routes` gets its own answer instead, so one server can send a client on
// to another path; every connection is served, each request once.
class HttpServer : public QObject {
public:
    struct Answer {
        QByteArray head;
        QByteArray body;
    };

    QByteArray head;
    QByteArray body;
    qsizetype stallAt = -1;
    qsizetype closeAt = -1;
    bool endless = false;
    QMap<QByteArray, Answer> routes; // by request path
    QByteArray request;              // the first request, once its blank line has come
    QList<QByteArray> requestLines;  // "GET /path HTTP/1.0" of every request, in order

    HttpServer();
    ~HttpServer() override;

    quint16 port() const { return m_listener.serverPort(); }
    QString url(const char* path = "/lobby/zlbsetup.exe") const;
    // Body bytes sent so far on all connections.
    qint64 bodySent() const { return m_bodySent; }

private:
    struct Peer {
        std::unique_ptr<QTcpSocket> socket;
        QByteArray received;
        Answer answer;
        bool answered = false; // its request has come
        bool sending = false;
        bool endless = false;
        qsizetype sent = 0;
    };

    void onRead(Peer& peer);
    void sendPieces();
    void sendPiece(Peer& peer);

    QTcpServer m_listener;
    std::vector<std::unique_ptr<Peer>> m_peers;
    QTimer m_pace;
    qint64 m_bodySent = 0;
};

} // namespace support
