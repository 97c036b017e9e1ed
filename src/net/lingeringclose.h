#pragma once

class QObject;
class QTcpSocket;

namespace net {

// Deletes a Qt object that may be in the middle of emitting a signal. Until the event loop
// gets to it, it belongs to the application, which deletes it at the latest when it ends.
void disposeLater(QObject* object);

// Takes over a connection its TSock has closed. Qt's abort() would throw away output that has
// not gone out yet, and closing a socket with unread input makes the platform answer with a
// reset that can destroy output still in flight (the host sends "CMD_full+" and closes at
// once). So the connection first sends what is queued, then shuts down its sending side, and
// reads and drops whatever the peer still sends until the peer closes too, or until a few
// seconds have passed.
void letLinger(QTcpSocket* socket);

} // namespace net
