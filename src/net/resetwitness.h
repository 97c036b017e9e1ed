#pragma once

class QTcpSocket;

namespace net {

// Tells a connection reset by the peer from an orderly close. Qt reports both alike, by
// neither error nor state, and closes its descriptor before anyone can look. So the witness
// keeps a second descriptor of the connection (Linux) and reads the TCP state from it when
// Qt says the peer closed: CLOSE_WAIT was an orderly close, CLOSE a reset. Elsewhere a reset
// is taken as an orderly close.
class ResetWitness {
public:
    ResetWitness() = default;
    ~ResetWitness() { release(); }
    ResetWitness(const ResetWitness&) = delete;
    ResetWitness& operator=(const ResetWitness&) = delete;

    // Starts watching the connection of a connected socket.
    void watch(const QTcpSocket& socket);
    // Whether the watched connection ended with a reset.
    bool sawReset() const;
    void release();

private:
    int m_descriptor = -1;
};

} // namespace net
