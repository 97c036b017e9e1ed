#include "host/hostserver.h"

#include "host/limits.h"
#include "host/logline.h"
#include "host/tableannouncement.h"
#include "net/quietnetwork.h"
#include "protocol/catalogue.h"

#include <QSysInfo>

#include <algorithm>
#include <limits>

namespace host {

using net::SocketInfo;
using net::TSock;

namespace {

HostEngine::Options engineOptions(const HostServer::Options& options)
{
    HostEngine::Options o;
    o.dedicated = options.dedicated;
    // The login time stays the engine's 30 s of wall-clock time whatever the clock second:
    // a copy that takes a while to start must not be shut out of a table that runs fast.
    return o;
}

} // namespace

HostServer::HostServer(Options options, QObject* parent)
    : QObject(parent), m_options(options),
      m_engine(*this, m_random, options.wordLists ? *options.wordLists : WordLists::builtIn(),
               engineOptions(options)),
      m_sock1(this), m_machineName(QSysInfo::machineHostName()),
      m_announcer([this] { return announcement(); })
{
    m_engine.setSolo(options.solo);
    m_sock1.setPortName(QString::number(options.port));
    m_sock1.OnAccept = [this](TSock*) {
        sock1Accept();
    };
    // TCP keepalive releases peers that vanished without a word (a pulled cable, a
    // sleeping laptop) within minutes; accepted connections take the listener's setting.
    m_sock1.setKeepAlive(true);

    m_socktimer.setInterval(kDrainTickMs);
    m_socktimer.setTimerType(Qt::PreciseTimer);
    connect(&m_socktimer, &QTimer::timeout, this, &HostServer::socktimerTimer);
    m_roundtime.setInterval(options.secondMs);
    m_roundtime.setTimerType(Qt::PreciseTimer);
    connect(&m_roundtime, &QTimer::timeout, this, &HostServer::roundtimeTimer);
    m_loginTimer.setSingleShot(true);
    connect(&m_loginTimer, &QTimer::timeout, this, [this] {
        m_engine.expireLogins(m_uptime.elapsed());
        syncLoginTimer();
    });
    m_sinceDrain.start();
    m_uptime.start();
}

HostServer::~HostServer()
{
    stop();
}

void HostServer::start()
{
    m_sock1.setListen(true);
    log(LogLevel::Info, QStringLiteral("listening on port %1").arg(port()));
    if (m_options.announce && !net::quietNetwork())
        m_announcer.start();
}

void HostServer::stop()
{
    m_announcer.stop();
    if (m_sock1.listen())
        m_sock1.setListen(false);
    for (int slot = 1; slot <= PlayerTable::kSlots; ++slot) {
        if (TSock* sock = connectionOf(slot))
            closeNow(slot, sock);
    }
}

TSock* HostServer::connectionOf(int slot) const
{
    return slot >= 1 && slot <= PlayerTable::kSlots ? m_connections[static_cast<size_t>(slot)]
                                                    : nullptr;
}

void HostServer::sock1Accept()
{
    TSock* sock = nullptr;
    if (!m_sock1.accept(sock))
        return;
    const int slot = m_engine.admit(m_uptime.elapsed());
    if (slot == 0) {
        sock->send(protocol::buildMessage(protocol::MessageId::Full, {}));
        sock->close(); // the bytes still go out; the connection lingers until they have
        sock->deleteLater();
        return;
    }
    sock->setTag(slot);
    sock->OnRead = [this](TSock* s, qint64) {
        sock1Read(s);
    };
    sock->OnDisconnect = [this](TSock* s) {
        tempsockDisconnect(s);
    };
    sock->OnInfo = [this](TSock* s, SocketInfo kind, const QString& text) {
        tempsockInfo(s, kind, text);
    };
    const auto index = static_cast<size_t>(slot);
    m_connections[index] = sock;
    m_framers[index].clear();
    m_closing[index] = false;
    m_engine.welcome(slot);
    syncClock();
    syncLoginTimer();
}

void HostServer::sock1Read(TSock* sock)
{
    const int slot = sock->tag();
    const QByteArray bytes = sock->receive();
    if (connectionOf(slot) != sock || m_closing[static_cast<size_t>(slot)])
        return;
    m_framers[static_cast<size_t>(slot)].feed(bytes, [&](QByteArrayView line) {
        if (!m_closing[static_cast<size_t>(slot)])
            m_engine.lineReceived(slot, line);
    });
    drainSoon();
    syncIntake();
    syncClock();
}

void HostServer::drainSoon()
{
    if (m_socktimer.isActive() || !m_engine.hasQueuedLines())
        return;
    const qint64 since = m_sinceDrain.elapsed();
    if (since >= kDrainTickMs) {
        m_engine.drainTick(m_uptime.elapsed());
        m_sinceDrain.restart();
        if (m_engine.hasQueuedLines())
            m_socktimer.start(kDrainTickMs);
        return;
    }
    // The next tick comes a tick's length after the last one, not after this arrival.
    m_socktimer.start(static_cast<int>(kDrainTickMs - since));
}

void HostServer::socktimerTimer()
{
    m_engine.drainTick(m_uptime.elapsed());
    m_sinceDrain.restart();
    if (!m_engine.hasQueuedLines())
        m_socktimer.stop();
    else if (m_socktimer.interval() != kDrainTickMs)
        m_socktimer.start(kDrainTickMs);
    syncIntake();
    syncClock();
}

void HostServer::syncIntake()
{
    // A connection with a full queue is read no more until it has drained: its peer's
    // sending then stalls by TCP's flow control, and nothing it sent is lost.
    for (int slot = 1; slot <= PlayerTable::kSlots; ++slot) {
        if (TSock* sock = connectionOf(slot))
            sock->setInputHeld(m_engine.inputHeld(slot));
    }
}

void HostServer::roundtimeTimer()
{
    m_engine.clockTick();
    syncClock();
}

void HostServer::syncClock()
{
    if (!m_engine.clockRunning()) {
        m_roundtime.stop();
    } else if (!m_roundtime.isActive() || m_engine.clockStarts() != m_clockStarts) {
        m_roundtime.start(); // switched on anew: a full second until the next tick
    }
    m_clockStarts = m_engine.clockStarts();
}

void HostServer::syncLoginTimer()
{
    const qint64 deadline = m_engine.nextLoginDeadline();
    if (deadline < 0) {
        m_loginTimer.stop();
        return;
    }
    const qint64 wait = std::max<qint64>(0, deadline - m_uptime.elapsed());
    m_loginTimer.start(static_cast<int>(std::min<qint64>(wait, std::numeric_limits<int>::max())));
}

void HostServer::tempsockDisconnect(TSock* sock)
{
    if (connectionOf(sock->tag()) == sock)
        sock->close();
}

void HostServer::tempsockInfo(TSock* sock, SocketInfo, const QString& text)
{
    if (text != QLatin1String("Socket Closed"))
        return;
    const int slot = sock->tag();
    // A socket reports its close more than once; only the slot's current one releases it.
    if (connectionOf(slot) != sock)
        return;
    const auto index = static_cast<size_t>(slot);
    m_connections[index] = nullptr;
    m_framers[index].clear();
    m_closing[index] = false;
    sock->deleteLater();
    m_engine.connectionClosed(slot);
    syncClock();
}

void HostServer::send(int slot, const QByteArray& message)
{
    TSock* sock = connectionOf(slot);
    if (!sock || m_closing[static_cast<size_t>(slot)])
        return;
    try {
        sock->send(message);
    } catch (const net::ESockException& e) {
        log(LogLevel::Warning, QStringLiteral("slot %1: send failed: %2")
                                   .arg(slot)
                                   .arg(QString::fromLatin1(e.what())));
        close(slot);
        return;
    }
    if (sock->pendingOutput() > limits::kMaxUnsentBytesPerConnection) {
        log(LogLevel::Warning,
            QStringLiteral("slot %1: dropping the connection: more than %2 bytes unread")
                .arg(slot)
                .arg(limits::kMaxUnsentBytesPerConnection));
        close(slot);
    }
}

void HostServer::close(int slot)
{
    // The rules ask for a close in the middle of their work; it happens right after, so the
    // departure is handled as an event of its own and never inside another handler. It is
    // bound to the connection asked about: if that one leaves first and a newcomer takes
    // the slot meanwhile, the newcomer stays.
    TSock* sock = connectionOf(slot);
    if (!sock || m_closing[static_cast<size_t>(slot)])
        return;
    m_closing[static_cast<size_t>(slot)] = true;
    QTimer::singleShot(0, sock, [this, slot, sock] { closeNow(slot, sock); });
}

void HostServer::closeNow(int slot, TSock* sock)
{
    if (connectionOf(slot) == sock)
        sock->close(); // reports "Socket Closed", which releases the slot
}

QByteArray HostServer::announcement() const
{
    if (m_options.solo)
        return {}; // sends nothing
    const QString name = tableHostName(m_engine, m_options.dedicated, m_machineName);
    return TableAnnouncement::of(m_engine, port(), name).toDatagram();
}

void HostServer::log(LogLevel level, const QString& line)
{
    if (m_logSink) {
        m_logSink(line);
        return;
    }
    writeLog(level, line);
}

} // namespace host
