#include "net/resetwitness.h"

#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace net {

void ResetWitness::watch(const QTcpSocket& socket)
{
    release();
#ifdef Q_OS_LINUX
    const qintptr fd = socket.isValid() ? socket.socketDescriptor() : -1;
    if (fd != -1)
        m_descriptor = ::fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 0);
#else
    Q_UNUSED(socket);
#endif
}

bool ResetWitness::sawReset() const
{
#ifdef Q_OS_LINUX
    // Qt has closed its descriptor by now; ours keeps the connection and its state. After the
    // peer's FIN it waits in CLOSE_WAIT for our close; after a reset it is CLOSE already.
    if (m_descriptor < 0)
        return false;
    tcp_info info{};
    socklen_t length = sizeof info;
    if (::getsockopt(m_descriptor, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return false;
    return info.tcpi_state == TCP_CLOSE;
#else
    return false;
#endif
}

void ResetWitness::release()
{
#ifdef Q_OS_LINUX
    if (m_descriptor >= 0)
        ::close(m_descriptor);
#endif
    m_descriptor = -1;
}

} // namespace net
