#include "client/clientconnection.h"

#include "protocol/conversion.h"
#include "protocol/lobby.h"
#include "protocol/message.h"

namespace client {

using protocol::SocketInfo;
using protocol::TSock;

ClientConnection::ClientConnection(MessageSink& sink, QObject* parent)
    : QObject(parent), m_sink(sink), m_sock(this), m_sock11(this)
{
    m_sock.setPortName(QString::number(protocol::lobby::kGamePort));
    m_sock.OnRead = [this](TSock* s, qint64) {
        receive(s->receive());
    };
    m_sock.OnInfo = [this](TSock*, SocketInfo kind, const QString& text) {
        sockInfo(kind, text);
    };
    m_sock11.setHostName(QString::fromLatin1(protocol::lobby::kLoopbackAddress));
    m_sock11.setPortName(QString::number(protocol::lobby::kLobbyPort));

    m_timer1.setInterval(kTickMs);
    m_timer1.setTimerType(Qt::PreciseTimer);
    connect(&m_timer1, &QTimer::timeout, this, &ClientConnection::onTimer1);
    m_sinceTick.start();
}

void ClientConnection::open(const QString& hostAddress)
{
    m_sock.setHostName(hostAddress);
    m_sock.open();
}

void ClientConnection::openLobbyLink()
{
    try {
        m_sock11.open();
    } catch (const protocol::ESockException&) {
        // The lobby's absence never matters to the game.
    }
}

bool ClientConnection::send(protocol::MessageId id, const protocol::Fields& fields)
{
    if (!m_sock.connected())
        return false;
    m_sock.send(protocol::buildMessage(id, fields));
    return true;
}

void ClientConnection::sockInfo(SocketInfo, const QString& text)
{
    if (text == QLatin1String("Socket Closed"))
        Q_EMIT closed();
}

void ClientConnection::receive(QByteArrayView bytes)
{
    m_framer.feed(bytes, [this](QByteArrayView m) { m_queue.push(m); });
    if (!m_timer1.isActive() && !m_paused && m_sinceTick.elapsed() >= kTickMs)
        drainTick();
    schedule();
}

void ClientConnection::drainTick()
{
    m_sinceTick.restart();
    const protocol::QueuedLine line = m_queue.take();
    const protocol::Entry entry = protocol::splitEntry(line.text);
    if (!entry.name.isEmpty()) {
        const protocol::MessageSpec* def =
            protocol::findMessage(protocol::Direction::ToPlayer, entry.name);
        // CMD_updatetime is the host's only message no window handles.
        if (def && def->id != protocol::MessageId::UpdateTime) {
            try {
                m_sink.handleMessage(def->id, entry.payload);
            } catch (const protocol::ConversionError& e) {
                Q_EMIT badMessage(QString::fromLatin1(e.what()));
            }
        }
    }
    if (!m_phraseAllowed && ++m_phraseTicks > kPhrasePauseTicks) {
        m_phraseAllowed = true;
        m_phraseTicks = 0;
    }
}

void ClientConnection::onTimer1()
{
    if (!m_paused)
        drainTick();
    schedule();
}

void ClientConnection::schedule()
{
    const bool work = !m_queue.isEmpty() || !m_phraseAllowed;
    if (work && !m_paused) {
        if (!m_timer1.isActive())
            m_timer1.start();
    } else {
        m_timer1.stop();
    }
}

void ClientConnection::setPaused(bool paused)
{
    m_paused = paused;
    schedule();
}

void ClientConnection::phraseSent()
{
    m_phraseAllowed = false;
    m_phraseTicks = 0;
    schedule();
}

} // namespace client
