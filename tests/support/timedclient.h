#pragma once

#include "protocol/framing.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>

#include <functional>

namespace support {

// A bare player connection for benchmarks: every received message goes to a handler with
// the time (on a shared clock) at which its bytes were read from the socket, so nothing
// sits in an inbox between arrival and measurement.
class TimedClient : public QObject {
    Q_OBJECT
public:
    // message: without terminator; receivedNs: clock.nsecsElapsed() when it was read.
    using Handler = std::function<void(const QByteArray& message, qint64 receivedNs)>;

    explicit TimedClient(const QElapsedTimer& clock, QObject* parent = nullptr);

    bool connectTo(quint16 port, int timeoutMs = 10000);
    // Answers CMD_sendlogininfo and waits for the host to announce this client.
    bool login(const QByteArray& name, int timeoutMs = 10000);
    // Starts a login without waiting: returns when CMD_sendlogininfo has arrived, after
    // sending CMD_logininfo; the send time (clock ns) is returned, or -1 on timeout.
    qint64 startLogin(const QByteArray& name, int timeoutMs = 10000);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Sends one message (the terminator is added); returns the clock time before the write.
    qint64 send(const QByteArray& message);

    int slot() const { return m_slot; }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    QTcpSocket& socket() { return m_socket; }

private:
    void onReadyRead();

    const QElapsedTimer& m_clock;
    QTcpSocket m_socket;
    protocol::MessageFramer m_framer;
    Handler m_handler;
    int m_slot = 0;
    bool m_announced = false;
    QByteArray m_ownAnnouncement;
};

} // namespace support
