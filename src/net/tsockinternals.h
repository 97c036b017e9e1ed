#pragma once

// Pieces the parts of TSock share; not for use outside src/net.

#include "net/tsock.h"

#include <QPointer>

#include <utility>

namespace net {

// Calls a handler through a copy, so a handler that replaces itself or deletes its socket does
// not pull the function out from under its own call.
template <class Handler, class... Args> void call(const Handler& handler, Args&&... args)
{
    if (!handler)
        return;
    const Handler copy = handler;
    copy(std::forward<Args>(args)...);
}

// Marks a call of the owner or an event in progress on a socket: platform events that Qt emits
// meanwhile (a connect refused at once, a write failing inside send) wait in m_pending and are
// delivered once nothing runs on the socket any more.
class TSock::Busy {
public:
    explicit Busy(TSock& sock) : m_sock(&sock) { ++sock.m_busy; }
    ~Busy()
    {
        if (m_sock && --m_sock->m_busy == 0 && !m_sock->m_pending.empty())
            m_sock->scheduleDrain();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    QPointer<TSock> m_sock; // the socket may be deleted by a handler meanwhile
};

} // namespace net
