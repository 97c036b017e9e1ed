// How TSock delivers what the platform reports: one event at a time, never inside a call the
// owner makes, and exceptions stopped at the event loop's edge.
#include "net/tsock.h"
#include "net/tsockinternals.h"

#include <exception>

namespace net {

namespace {

std::function<void(const QString&)>& unhandledErrorHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

void passOnUnhandled(const std::exception_ptr& error)
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown error");
    }
    const auto handler = unhandledErrorHandler();
    if (!handler) {
        qWarning("TSock: %s", qUtf8Printable(text));
        return;
    }
    try {
        handler(text);
    } catch (...) {
        qWarning("TSock: the unhandled-error handler failed on: %s", qUtf8Printable(text));
    }
}

} // namespace

void TSock::setUnhandledErrorHandler(std::function<void(const QString&)> handler)
{
    unhandledErrorHandler() = std::move(handler);
}

void TSock::notify(Pending pending)
{
    m_pending.push_back(std::move(pending));
    if (m_busy == 0)
        drain();
}

void TSock::scheduleDrain()
{
    if (m_drainPosted)
        return;
    m_drainPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_drainPosted = false;
            drain();
        },
        Qt::QueuedConnection);
}

void TSock::drain()
{
    if (m_busy != 0)
        return; // the Busy that ends last schedules the next round
    QPointer<TSock> self(this);
    while (!m_pending.empty()) {
        const Pending pending = std::move(m_pending.front());
        m_pending.pop_front();
        if (pending.generation != m_generation)
            continue;
        ++m_busy;
        try {
            dispatch(pending);
        } catch (...) {
            // Qt cannot carry an exception through its event loop.
            passOnUnhandled(std::current_exception());
        }
        if (!self)
            return;
        --m_busy;
    }
}

void TSock::dispatch(const Pending& pending)
{
    switch (pending.note) {
    case Note::Resolved:
        onResolved(pending);
        break;
    case Note::Connected:
        onConnected();
        break;
    case Note::Read:
        onRead();
        break;
    case Note::Written:
        onWritten();
        break;
    case Note::Failed:
        onFailed(pending.error);
        break;
    case Note::Disconnected:
        onDisconnected();
        break;
    case Note::Incoming:
        onIncoming();
        break;
    }
}

} // namespace net
