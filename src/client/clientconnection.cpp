#include "client/clientconnection.h"

#include "net/wsaerrors.h"
#include "protocol/conversion.h"
#include "protocol/lobby.h"
#include "protocol/message.h"
#include "protocol/windows1252.h"

#include <QHostInfo>

#include <cstdio>

namespace client {

using net::SocketInfo;
using net::TSock;

namespace {

void log(const QString& line)
{
    std::fprintf(stderr, "quillon: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

} // namespace

ClientConnection::ClientConnection(MessageSink& sink, QObject* parent)
    : QObject(parent), m_sink(sink), m_sock(this), m_sock11(this)
{
    m_sock.OnRead = [this](TSock* s, qint64) {
        receive(s->receive());
    };
    m_sock.OnInfo = [this](TSock*, SocketInfo kind, const QString& text) {
        sockInfo(kind, text);
    };
    m_sock.OnConnect = [this](TSock*) {
        m_reached = true;
        m_connectTimer.stop();
    };
    m_sock11.setHostName(QString::fromLatin1(protocol::lobby::kLoopbackAddress));
    m_sock11.setPortName(QString::number(protocol::lobby::kLobbyPort));
    // The lobby never talks on this link; whatever comes is dropped as it is read, one read
    // chunk at a time.
    m_sock11.OnRead = [](TSock* s, qint64) {
        s->receive();
    };

    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, &ClientConnection::giveUp);

    m_timer1.setInterval(kTickMs);
    m_timer1.setTimerType(Qt::PreciseTimer);
    connect(&m_timer1, &QTimer::timeout, this, &ClientConnection::onTimer1);
    m_sinceTick.start();
}

void ClientConnection::open(const QString& hostAddress, quint16 port)
{
    m_sock.setPortName(QString::number(port));
    m_tableAddress = hostAddress + QLatin1Char(':') + QString::number(port);
    const bool dotted = !hostAddress.isEmpty() && hostAddress.front().isDigit();
    if (dotted) {
        m_sock.setHostName(hostAddress);
        m_sock.open();
        started();
        return;
    }
    QHostInfo::lookupHost(hostAddress, this, [this](const QHostInfo& info) {
        for (const QHostAddress& address : info.addresses()) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                m_sock.setHostName(address.toString());
                m_sock.open();
                started();
                return;
            }
        }
        Q_EMIT hostNotFound();
    });
}

void ClientConnection::setLobbyPort(quint16 port)
{
    m_sock11.setPortName(QString::number(port));
}

void ClientConnection::started()
{
    m_started = true;
    if (!m_reached)
        m_connectTimer.start();
    if (m_lobbyLinkWanted)
        openLobbyLink();
}

void ClientConnection::openLobbyLinkWhenStarted()
{
    m_lobbyLinkWanted = true;
    if (m_started)
        openLobbyLink();
}

void ClientConnection::openLobbyLink()
{
    try {
        m_sock11.open();
    } catch (const net::ESockException&) {
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

void ClientConnection::sendUnchecked(protocol::MessageId id, const protocol::Fields& fields)
{
    m_sock.send(protocol::buildMessage(id, fields));
}

void ClientConnection::sockInfo(SocketInfo kind, const QString& text)
{
    if (kind == SocketInfo::Error && !m_reached && m_connectTimer.isActive()) {
        // A connect that failed; the socket stays unconnected, the window stays open.
        m_connectTimer.stop();
        Q_EMIT unreachable(m_tableAddress, text);
        return;
    }
    if (text == QLatin1String("Socket Closed") && !m_givingUp)
        Q_EMIT closed();
}

void ClientConnection::giveUp()
{
    if (m_reached)
        return;
    // Closing a connection that never was is no departure from the table: the window stays.
    m_givingUp = true;
    m_sock.close();
    m_givingUp = false;
    Q_EMIT unreachable(m_tableAddress, net::wsaErrorText(net::wsa::TimedOut));
}

void ClientConnection::receive(QByteArrayView bytes)
{
    m_framer.feed(bytes, [this](QByteArrayView m) { m_queue.push(m); });
    if (m_queue.bytes() > kMaxQueuedBytes)
        m_sock.setInputHeld(true);
    if (!m_timer1.isActive() && !m_paused && m_sinceTick.elapsed() >= kTickMs)
        drainTick();
    schedule();
}

void ClientConnection::drainTick()
{
    m_sinceTick.restart();
    const QByteArray line = m_queue.take();
    if (m_sock.inputHeld() && m_queue.bytes() <= kMaxQueuedBytes / 2)
        m_sock.setInputHeld(false);
    const protocol::Entry entry = protocol::splitEntry(line);
    if (!entry.name.isEmpty()) {
        const protocol::MessageSpec* def =
            protocol::findMessage(protocol::Direction::ToPlayer, entry.name);
        if (def) {
            try {
                m_sink.handleMessage(def->id, entry.payload);
            } catch (const protocol::ConversionError& e) {
                // What the handler did before the bad field stays done, as on the host.
                log(QStringLiteral("dropped \"%1\": %2")
                        .arg(protocol::printable(line), protocol::printable(e.what())));
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
