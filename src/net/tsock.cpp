#include "net/tsock.h"

#include "net/lingeringclose.h"
#include "net/tsockinternals.h"
#include "net/wsaerrors.h"

#include <QCoreApplication>
#include <QHash>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <exception>
#include <utility>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif
#ifdef Q_OS_LINUX
#include <netinet/tcp.h>
#endif

namespace net {

namespace {

// Qt stops accepting after a failed accept (out of descriptors, say); we try again after this.
constexpr int kAcceptRetryMs = 1000;
// Keepalive timing on Linux (seconds, probes); see TSock::setKeepAlive.
constexpr int kKeepAliveIdle = 30;
constexpr int kKeepAliveInterval = 10;
constexpr int kKeepAliveProbes = 4;

// Host names already resolved in this process, so a reconnect does not wait for the resolver.
QHash<QString, QHostAddress>& hostCache()
{
    static QHash<QString, QHostAddress> cache;
    return cache;
}

bool startsWithDigit(const QString& text)
{
    return !text.isEmpty() && text.front() >= u'0' && text.front() <= u'9';
}

} // namespace

TSock::TSock(QObject* parent) : QObject(parent) {}

TSock::~TSock()
{
    // A silent close: the handlers lead into owners that may be half destroyed by now.
    releaseHandle();
}

void TSock::setHostName(const QString& name)
{
    m_hostName = name;
    if (m_connected)
        report(SocketInfo::Lookup,
               QStringLiteral("Setting HostName While Connected Has No Effect"));
}

void TSock::setPortName(const QString& port)
{
    m_portName = port;
    if (m_connected)
        report(SocketInfo::Lookup,
               QStringLiteral("Setting PortName While Connected Has No Effect"));
}

bool TSock::hasHandle() const
{
    return m_socket != nullptr || m_server != nullptr;
}

quint16 TSock::localPort() const
{
    if (m_server)
        return m_server->serverPort();
    if (m_socket)
        return m_socket->localPort();
    return 0;
}

qint64 TSock::pendingOutput() const
{
    return (m_socket ? m_socket->bytesToWrite() : 0) + m_earlyOutput.size();
}

void TSock::setKeepAlive(bool on)
{
    m_keepAlive = on;
    if (m_socket && m_connected)
        applySocketOptions();
}

void TSock::applySocketOptions()
{
    // Strokes and chat are small and should show at once on the other side.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, m_keepAlive ? 1 : 0);
#ifdef Q_OS_LINUX
    const qintptr fd = m_socket->isValid() ? m_socket->socketDescriptor() : -1;
    if (m_keepAlive && fd != -1) {
        const int native = static_cast<int>(fd);
        ::setsockopt(native, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdle, sizeof kKeepAliveIdle);
        ::setsockopt(native, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveInterval,
                     sizeof kKeepAliveInterval);
        ::setsockopt(native, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof kKeepAliveProbes);
    }
#endif
}

void TSock::report(SocketInfo kind, const QString& msg)
{
    if (!OnInfo)
        return;
    try {
        call(OnInfo, this, kind, msg);
    } catch (...) {
        throw ESockException("Error here");
    }
}

quint16 TSock::lookupPort()
{
    report(SocketInfo::Lookup, QStringLiteral("Lookup Of Port ") + m_portName);
    if (startsWithDigit(m_portName)) {
        bool ok = false;
        const uint value = m_portName.toUInt(&ok, 10);
        if (!ok || value > 65535)
            throw ESockException("Port Lookup - Could Not Find Service Entry");
        return static_cast<quint16>(value);
    }
    const QByteArray name = m_portName.toLatin1();
    const servent* entry = name.isEmpty() ? nullptr : ::getservbyname(name.constData(), "tcp");
    if (entry == nullptr)
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    return ntohs(static_cast<quint16>(entry->s_port));
}

// --- connecting -------------------------------------------------------------------------------

bool TSock::open()
{
    Busy busy(*this);
    if (hasHandle())
        return m_connected;

    QPointer<TSock> self(this);
    const quint16 port = lookupPort();
    if (!self)
        return false;
    if (!m_hostName.isEmpty()) {
        report(SocketInfo::Lookup, QStringLiteral("Lookup Of Host ") + m_hostName);
        if (!self)
            return false;
    }
    if (hasHandle())
        return m_connected; // a report's handler opened the socket meanwhile

    QHostAddress address;
    bool known = true;
    const QString cacheKey = m_hostName.toLower();
    if (m_hostName.isEmpty()) {
        address = QHostAddress(QHostAddress::AnyIPv4);
    } else if (startsWithDigit(m_hostName)) {
        if (!address.setAddress(m_hostName) || address.protocol() != QAbstractSocket::IPv4Protocol)
            throw ESockException("Host Lookup - Could Not Find Host Entry");
    } else if (const auto cached = hostCache().constFind(cacheKey); cached != hostCache().cend()) {
        address = *cached;
    } else {
        known = false;
    }

    auto* socket = new QTcpSocket(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    attach(socket);
    m_connectPort = port;
    if (known) {
        startConnect(address);
        return m_connected;
    }
    const quint64 generation = m_generation;
    m_lookupId = QHostInfo::lookupHost(
        m_hostName, this, [this, generation, cacheKey](const QHostInfo& info) {
            Pending result{Note::Resolved, generation};
            const auto addresses = info.addresses();
            for (const QHostAddress& candidate : addresses) {
                if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                    result.address = candidate;
                    break;
                }
            }
            if (info.error() != QHostInfo::NoError || !result.address)
                result.error = wsa::HostNotFound;
            else
                hostCache().insert(cacheKey, *result.address);
            notify(std::move(result));
        });
    return m_connected;
}

void TSock::attach(QTcpSocket* socket)
{
    m_socket = socket;
    socket->setParent(this);
    // Qt then reads at most a chunk ahead of us, and stops reading while we hold the input.
    socket->setReadBufferSize(kReadChunk);
    connect(socket, &QAbstractSocket::connected, this, [this] {
        notify({Note::Connected, m_generation});
    });
    connect(socket, &QIODevice::readyRead, this, [this] { notify({Note::Read, m_generation}); });
    connect(socket, &QIODevice::bytesWritten, this, [this] {
        if (!m_inSend) // what send hands over itself is not an event
            notify({Note::Written, m_generation});
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        notify({Note::Failed, m_generation, static_cast<int>(e)});
    });
    connect(socket, &QAbstractSocket::disconnected, this, [this] {
        notify({Note::Disconnected, m_generation});
    });
}

void TSock::startConnect(const QHostAddress& address)
{
    m_socket->connectToHost(address, m_connectPort);
}

void TSock::onResolved(const Pending& pending)
{
    m_lookupId = -1;
    if (pending.error != 0 || !pending.address) {
        report(SocketInfo::Error, wsaErrorText(wsa::HostNotFound));
        return;
    }
    startConnect(*pending.address);
}

void TSock::onConnected()
{
    if (!m_socket || m_connected)
        return;
    m_connected = true;
    applySocketOptions();
    m_witness.watch(*m_socket);
    if (!m_earlyOutput.isEmpty() && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->write(std::exchange(m_earlyOutput, {}));
        m_inSend = true;
        m_socket->flush();
        m_inSend = false;
    }
    const quint64 generation = m_generation;
    QPointer<TSock> self(this);
    report(SocketInfo::Connect, QStringLiteral("Non-Blocking Socket Connected"));
    if (self && generation == m_generation)
        call(OnConnect, this);
}

// --- data -------------------------------------------------------------------------------------

bool TSock::send(const QByteArray& data)
{
    Busy busy(*this);
    if (!hasHandle())
        throw ESockException("Send - Socket Not Connected");
    if (m_listening || !m_socket)
        throw ESockException("Send - Cannot Send On A Listener Socket");

    // Until the connection stands, output waits here: Qt's socket engine refuses to write a
    // socket that is still connecting ("write() was not called in ConnectedState").
    if (m_socket->state() != QAbstractSocket::ConnectedState || !m_earlyOutput.isEmpty())
        m_earlyOutput.append(data);
    else
        m_socket->write(data);
    if (pendingOutput() == 0)
        return true;

    QPointer<TSock> self(this);
    report(SocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (!self || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return true; // closed by the report's handler (the output lingers out), or not connected
    m_inSend = true;
    m_socket->flush();
    m_inSend = false;
    return true;
}

QByteArray TSock::receive()
{
    if (m_listening)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    if (!hasHandle() && m_input.isEmpty())
        throw ESockException("Receive - Socket Not Connected");
    return std::exchange(m_input, {});
}

void TSock::setInputHeld(bool held)
{
    if (m_inputHeld == held)
        return;
    m_inputHeld = held;
    if (!held && m_socket && m_socket->bytesAvailable() > 0) {
        m_pending.push_back({Note::Read, m_generation});
        scheduleDrain();
    }
}

void TSock::onRead(bool evenIfHeld)
{
    if (!m_socket || (m_inputHeld && !evenIfHeld))
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    m_input.append(bytes);
    const quint64 generation = m_generation;
    QPointer<TSock> self(this);
    report(SocketInfo::Receive, QStringLiteral("Non-Blocking Incoming Data"));
    if (!self || generation != m_generation)
        return;
    call(OnRead, this, static_cast<qint64>(m_input.size()));
    // Qt does not announce data that arrives while a readyRead slot runs (a handler with a
    // message box, say); pick it up next.
    if (self && generation == m_generation && m_socket && m_socket->bytesAvailable() > 0)
        m_pending.push_front({Note::Read, generation});
}

void TSock::onWritten()
{
    if (!m_socket)
        return;
    QPointer<TSock> self(this);
    report(SocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (self)
        call(OnWrite, this);
}

// --- ends of connections ------------------------------------------------------------------------

void TSock::onFailed(int qtError)
{
    const auto error = static_cast<QAbstractSocket::SocketError>(qtError);
    if (m_server) {
        report(SocketInfo::Error, wsaErrorText(wsaErrorCode(error)));
        if (m_server) {
            QTimer::singleShot(kAcceptRetryMs, m_server,
                               [server = m_server] { server->resumeAccepting(); });
        }
        return;
    }
    if (!m_socket)
        return;
    // A connect that failed leaves the socket as it is; only the report tells of it.
    if (!m_connected || error == QAbstractSocket::TemporaryError) {
        report(SocketInfo::Error, wsaErrorText(wsaErrorCode(error)));
        return;
    }
    if (error == QAbstractSocket::RemoteHostClosedError)
        endConnection(m_witness.sawReset() ? wsa::ConnectionReset : 0);
    else
        endConnection(wsaErrorCode(error));
}

void TSock::onDisconnected()
{
    // Qt reports the end of a connection as an error first (handled in onFailed); this catches a
    // close that came without one.
    if (m_socket && m_connected)
        endConnection(0);
}

void TSock::endConnection(int wsaCode)
{
    QPointer<TSock> self(this);
    const quint64 generation = m_generation;
    std::exception_ptr failure;
    const auto guarded = [&failure](const auto& step) {
        try {
            step();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    };

    // Input Qt holds that was not announced yet is delivered before the end, also while the
    // owner holds the input: after the end it would be lost.
    if (m_socket && m_socket->bytesAvailable() > 0) {
        guarded([this] { onRead(true); });
        if (!self)
            return;
    }
    if (generation == m_generation) {
        if (wsaCode == 0)
            guarded([this] { call(OnDisconnect, this); });
        else
            guarded([this, wsaCode] { report(SocketInfo::Error, wsaErrorText(wsaCode)); });
        if (!self)
            return;
        // Closed like any other end, so that the owner gets "Socket Closed" and lets go of the
        // socket; also when the handler closed it already (then the owner sees it twice).
        if (generation == m_generation || !hasHandle())
            close();
    }
    if (failure)
        std::rethrow_exception(failure);
}

bool TSock::close()
{
    Busy busy(*this);
    const bool hadHandle = hasHandle();
    releaseHandle();
    m_connected = false;
    if (!std::exchange(m_listening, false)) {
        try {
            report(SocketInfo::Close, QStringLiteral("Socket Closed"));
        } catch (...) {
            // Closing never fails; an error of the report's handler is dropped here.
        }
    }
    return hadHandle;
}

void TSock::releaseHandle()
{
    ++m_generation;
    m_pending.clear();
    m_earlyOutput.clear();
    if (m_lookupId != -1) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    m_witness.release();
    if (QTcpSocket* socket = std::exchange(m_socket, nullptr)) {
        QObject::disconnect(socket, nullptr, this, nullptr);
        letLinger(socket);
    }
    if (QTcpServer* server = std::exchange(m_server, nullptr)) {
        QObject::disconnect(server, nullptr, this, nullptr);
        server->close(); // connections waiting for accept go with it
        disposeLater(server);
    }
}

} // namespace net
