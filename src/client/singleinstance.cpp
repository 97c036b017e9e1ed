#include "client/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace client {

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise");
constexpr qint64 kMaxRequestLength = 64;
// How long a later copy keeps trying to reach the first (which may still be starting).
constexpr int kRequestTimeoutMs = 2000;
// A connection that says nothing is closed after this long.
constexpr int kIdleConnectionMs = 5000;

// Delivers the raise request; false when nobody answered in time.
bool askToRaise(const QString& serverName)
{
    QLocalSocket socket;
    const QDeadlineTimer deadline(kRequestTimeoutMs);
    for (;;) {
        socket.connectToServer(serverName);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(kRaiseRequest + '\n');
    const bool sent = socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())) ||
                      socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
    return sent;
}

} // namespace

SingleInstance::SingleInstance(QString runtimeFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(runtimeFolder))
{
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath();
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockFilePath() const
{
    return QDir(m_folder).filePath(QLatin1String(kMark) + QStringLiteral(".lock"));
}

QString SingleInstance::serverName() const
{
#ifdef Q_OS_WIN
    // Pipe names are global: the runtime folder (per user) goes into the name.
    const QByteArray folder = QDir(m_folder).absolutePath().toUtf8();
    return QLatin1String(kMark) + QLatin1Char('-') +
           QString::fromLatin1(
               QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16));
#else
    return QDir(m_folder).filePath(QLatin1String(kMark));
#endif
}

bool SingleInstance::acquire()
{
    if (m_lock)
        return true;
    if (!QDir(m_folder).exists()) {
        QDir().mkpath(m_folder);
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    }

    auto lock = std::make_unique<QLockFile>(lockFilePath());
    // Never stale by age: a copy may run for days. A lock whose process is gone is stale.
    lock->setStaleLockTime(0);
    bool locked = lock->tryLock(0);
    if (!locked && lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        if (!lock->getLockInfo(&pid, &host, &application)) {
            // A mark without readable content: its writer died before finishing it. A live
            // holder keeps its file locked, so the removal fails while one exists.
            lock->removeStaleLockFile();
            locked = lock->tryLock(0);
        }
    }
    if (locked) {
        m_lock = std::move(lock);
        listen();
        return true;
    }
    if (lock->error() != QLockFile::LockFailedError) {
        qWarning().noquote() << "Single-instance mark" << lockFilePath()
                             << "cannot be made; running without it";
        return true;
    }
    if (!askToRaise(serverName()))
        qWarning().noquote() << "Another copy is running but did not answer at" << serverName();
    return false;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName();
    if (!m_server->listen(name)) {
        // The lock is ours, so a server of that name can only be a crashed copy's leftover.
        QLocalServer::removeServer(name);
        if (!m_server->listen(name)) {
            qWarning().noquote() << "Cannot listen at" << name << ":" << m_server->errorString()
                                 << "- later copies cannot bring this window forward";
            return;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
}

void SingleInstance::serve(QLocalSocket* socket)
{
    auto handle = [this, socket] {
        while (socket->canReadLine()) {
            if (socket->readLine(kMaxRequestLength).trimmed() == kRaiseRequest)
                Q_EMIT raiseRequested();
        }
        if (socket->bytesAvailable() > kMaxRequestLength)
            socket->abort();
    };
    connect(socket, &QLocalSocket::readyRead, this, handle);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kIdleConnectionMs, socket, &QLocalSocket::abort);
    handle();
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater(); // the later copy was gone before we got here
}

} // namespace client
