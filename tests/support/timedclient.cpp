#include "support/timedclient.h"

#include "protocol/version.h"
#include "support/eventloop.h"

namespace support {

TimedClient::TimedClient(const QElapsedTimer& clock, QObject* parent)
    : QObject(parent), m_clock(clock)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &TimedClient::onReadyRead);
}

bool TimedClient::connectTo(quint16 port, int timeoutMs)
{
    m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return spinUntil([this] { return isConnected(); }, timeoutMs);
}

qint64 TimedClient::startLogin(const QByteArray& name, int timeoutMs)
{
    if (!spinUntil([this] { return m_slot > 0; }, timeoutMs))
        return -1;
    m_ownAnnouncement = "CMD_newplayerinfo+" + QByteArray::number(m_slot) + '+' + name;
    return send("CMD_logininfo+" + QByteArray::number(m_slot) + "+" +
                QByteArray(protocol::kVersion) + "+" + name);
}

bool TimedClient::login(const QByteArray& name, int timeoutMs)
{
    return startLogin(name, timeoutMs) >= 0 && spinUntil([this] { return m_announced; }, timeoutMs);
}

qint64 TimedClient::send(const QByteArray& message)
{
    const qint64 now = m_clock.nsecsElapsed();
    m_socket.write(message + '\xFF');
    m_socket.flush();
    return now;
}

void TimedClient::onReadyRead()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_framer.feed(m_socket.readAll(), [&](QByteArrayView view) {
        const QByteArray message = view.toByteArray();
        if (m_slot == 0 && message.startsWith("CMD_sendlogininfo+"))
            m_slot = message.mid(18).toInt();
        if (!m_announced && !m_ownAnnouncement.isEmpty() && message == m_ownAnnouncement)
            m_announced = true;
        if (m_handler)
            m_handler(message, now);
    });
}

} // namespace support
