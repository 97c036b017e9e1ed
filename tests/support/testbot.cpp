#include "support/testbot.h"

#include "protocol/message.h"
#include "support/eventloop.h"

#include <sys/socket.h>

namespace support {

using protocol::MessageId;

TestBot::TestBot(QObject* parent) : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &TestBot::onReadyRead);
}

bool TestBot::connectTo(quint16 port, const QString& host, int timeoutMs)
{
    m_socket.connectToHost(host, port);
    return spinUntil([this] { return m_socket.state() == QAbstractSocket::ConnectedState; },
                     timeoutMs);
}

bool TestBot::login(const QByteArray& name, const QByteArray& version, int timeoutMs)
{
    const auto hello = waitFor(MessageId::SendLoginInfo, timeoutMs);
    if (!hello)
        return false;
    m_slot = hello->integer(0);
    send(MessageId::LoginInfo, {m_slot, version, name});
    const QByteArray mine = "CMD_newplayerinfo+" + QByteArray::number(m_slot) + '+';
    return spinUntil(
        [&] {
            for (const QByteArray& m : m_inbox) {
                if (m.startsWith(mine))
                    return true;
            }
            return false;
        },
        timeoutMs);
}

void TestBot::sendRaw(const QByteArray& bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

void TestBot::send(MessageId id, const protocol::Fields& fields)
{
    sendRaw(protocol::buildMessage(id, fields));
}

qsizetype TestBot::indexOf(const QByteArray& name) const
{
    for (qsizetype i = 0; i < m_inbox.size(); ++i) {
        if (messageName(m_inbox[i]) == name)
            return i;
    }
    return -1;
}

std::optional<QByteArray> TestBot::waitFor(const QByteArray& name, int timeoutMs)
{
    if (!spinUntil([&] { return indexOf(name) >= 0; }, timeoutMs))
        return std::nullopt;
    return m_inbox.takeAt(indexOf(name));
}

std::optional<protocol::Fields> TestBot::waitFor(MessageId id, int timeoutMs)
{
    const auto message = waitFor(QByteArray(protocol::messageSpec(id).name), timeoutMs);
    if (!message)
        return std::nullopt;
    return protocol::readMessage(id, messagePayload(*message));
}

QList<QByteArray> TestBot::takeAll()
{
    return std::exchange(m_inbox, {});
}

bool TestBot::receivesWithin(const QByteArray& name, int ms)
{
    spinFor(ms);
    return indexOf(name) >= 0;
}

bool TestBot::isConnected() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TestBot::waitForDisconnect(int timeoutMs)
{
    return spinUntil([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; },
                     timeoutMs);
}

void TestBot::disconnectNow()
{
    m_socket.disconnectFromHost();
}

void TestBot::resetNow()
{
    // SO_LINGER with a zero timeout turns close() into a reset (RST) on every platform.
    const linger hard{1, 0};
    ::setsockopt(static_cast<int>(m_socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                 sizeof hard);
    m_socket.abort();
}

void TestBot::onReadyRead()
{
    m_framer.feed(m_socket.readAll(),
                  [this](QByteArrayView m) { m_inbox.append(m.toByteArray()); });
}

QByteArray messageName(const QByteArray& message)
{
    return protocol::splitEntry(message).name;
}

QByteArray messagePayload(const QByteArray& message)
{
    return protocol::splitEntry(message).payload;
}

} // namespace support
