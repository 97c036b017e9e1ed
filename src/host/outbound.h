#pragma once

#include "host/logline.h"

#include <QByteArray>
#include <QString>

namespace host {

// Everything the host's rules do to the outside world goes through this: the adapter
// writes to sockets, tests record what would have been sent.
class Outbound {
public:
    virtual ~Outbound() = default;
    // Queues a complete message (terminator included) on the slot's connection.
    virtual void send(int slot, const QByteArray& message) = 0;
    // Closes the slot's connection. The adapter reports the close back through
    // HostEngine::connectionClosed, as it does for a close by the peer.
    virtual void close(int slot) = 0;
    // One line for the operator: who joined, who left (Info), which lines were dropped or
    // connections cut off and why (Warning).
    virtual void log(LogLevel level, const QString& line) = 0;
};

// Randomness is an input so that games can be replayed in tests.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniformly chosen integer from 0 to n - 1 (n > 0).
    virtual int below(int n) = 0;
};

} // namespace host
