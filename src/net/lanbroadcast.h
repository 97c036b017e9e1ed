#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

namespace net {

// Tables on the local network announce themselves by UDP broadcast on this port. UDP and TCP
// ports are separate, so it can be the game's own number without clashing with the
// listener a hosting copy holds.
inline constexpr quint16 kLanAnnouncePort = 7772;
// No announcement is longer; anything longer that arrives is dropped unread.
inline constexpr qsizetype kMaxLanDatagram = 512;

// Sends one datagram to the broadcast address of every IPv4 interface that is up and can
// broadcast (loopback cannot). The directed broadcast (10.0.0.255, not 255.255.255.255)
// needs no default route and no multicast membership: it reaches a veth peer in a network
// namespace as it reaches every machine on a home LAN, and routers never forward it. The
// interfaces are looked up on every send, so a laptop that joins a network later is heard.
class BroadcastSender : public QObject {
    Q_OBJECT
public:
    explicit BroadcastSender(quint16 port = kLanAnnouncePort, QObject* parent = nullptr);

    // Returns on how many interfaces the datagram went out; an empty one is not sent.
    int send(const QByteArray& datagram);

private:
    QUdpSocket m_socket;
    quint16 m_port;
};

// Hears the datagrams sent to `port` on any IPv4 address. The port is shared, so several
// listeners on one machine (a launcher and a test) all hear every broadcast.
class BroadcastListener : public QObject {
    Q_OBJECT
public:
    explicit BroadcastListener(QObject* parent = nullptr);

    // False with the reason in `error` when the port cannot be bound.
    bool listen(quint16 port = kLanAnnouncePort, QString* error = nullptr);
    void close() { m_socket.close(); }

Q_SIGNALS:
    // One datagram of at most kMaxLanDatagram bytes from `sender`.
    void received(const QHostAddress& sender, const QByteArray& datagram);

private:
    void readAll();

    QUdpSocket m_socket;
};

} // namespace net
