#include "net/lanbroadcast.h"

#include <QNetworkInterface>

namespace net {

BroadcastSender::BroadcastSender(quint16 port, QObject* parent)
    : QObject(parent), m_socket(this), m_port(port)
{}

int BroadcastSender::send(const QByteArray& datagram)
{
    if (datagram.isEmpty() || datagram.size() > kMaxLanDatagram)
        return 0;
    int sent = 0;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : interfaces) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto entries = iface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            const QHostAddress broadcast = entry.broadcast();
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || broadcast.isNull())
                continue;
            // A send that fails (an interface going down meanwhile) is tried again at the
            // next announcement; there is nobody to tell.
            if (m_socket.writeDatagram(datagram, broadcast, m_port) == datagram.size())
                ++sent;
        }
    }
    return sent;
}

BroadcastListener::BroadcastListener(QObject* parent) : QObject(parent), m_socket(this)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &BroadcastListener::readAll);
}

bool BroadcastListener::listen(quint16 port, QString* error)
{
    m_socket.close();
    if (m_socket.bind(QHostAddress::AnyIPv4, port,
                      QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    if (error)
        *error = m_socket.errorString();
    return false;
}

void BroadcastListener::readAll()
{
    // One byte more than allowed tells a datagram that was too long (the kernel cuts it to
    // the buffer and drops the rest).
    QByteArray buffer(kMaxLanDatagram + 1, Qt::Uninitialized);
    while (m_socket.hasPendingDatagrams()) {
        QHostAddress sender;
        const qint64 n = m_socket.readDatagram(buffer.data(), buffer.size(), &sender);
        if (n < 0)
            break; // nothing was taken; readyRead comes again if something waits
        if (n > kMaxLanDatagram)
            continue;
        // Bound to AnyIPv4 the sender is plain IPv4; the conversion keeps it so if a
        // platform reports it mapped into IPv6.
        bool isV4 = false;
        const quint32 v4 = sender.toIPv4Address(&isV4);
        if (isV4)
            sender = QHostAddress(v4);
        Q_EMIT received(sender, buffer.left(n));
    }
}

} // namespace net
