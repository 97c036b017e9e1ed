#include "net/lingeringclose.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTimer>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace net {

namespace {

// How long a closed connection may linger to deliver its last output.
constexpr int kLingerMs = 5000;

void shutdownSending(QTcpSocket* socket)
{
    const qintptr fd = socket->socketDescriptor();
    if (fd == -1 || !socket->isValid())
        return;
#ifdef Q_OS_WIN
    ::shutdown(static_cast<SOCKET>(fd), SD_SEND);
#else
    ::shutdown(static_cast<int>(fd), SHUT_WR);
#endif
}

} // namespace

void disposeLater(QObject* object)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        delete object;
        return;
    }
    object->setParent(app);
    object->deleteLater();
}

void letLinger(QTcpSocket* socket)
{
    // While Qt tells of an ended connection (errorOccurred), the state still reads connected but
    // the descriptor is closed already, and socketDescriptor() returns its stale number; only
    // isValid() tells. Such a socket has nothing left to deliver.
    if (!socket->isValid() || socket->state() != QAbstractSocket::ConnectedState) {
        if (socket->isValid() && socket->state() != QAbstractSocket::UnconnectedState)
            socket->abort(); // still connecting
        disposeLater(socket);
        return;
    }
    if (QCoreApplication::instance() == nullptr) {
        socket->abort();
        delete socket;
        return;
    }
    socket->setParent(QCoreApplication::instance()); // deleted at the latest when the program ends
    socket->readAll();
    QObject::connect(socket, &QIODevice::readyRead, socket, [socket] { socket->readAll(); });
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kLingerMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    if (socket->bytesToWrite() == 0) {
        shutdownSending(socket);
    } else {
        QObject::connect(socket, &QIODevice::bytesWritten, socket, [socket] {
            if (socket->bytesToWrite() == 0)
                shutdownSending(socket);
        });
    }
}

} // namespace net
