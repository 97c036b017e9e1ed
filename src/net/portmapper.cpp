#include "net/portmapper.h"

#include "net/portmapclient.h"
#include "net/portmaprules.h"

#include <QDeadlineTimer>
#include <QThread>

#include <mutex>

namespace net {

// The worker thread's way back to the mapper. The mapper may be destroyed while a job still
// runs (its destructor waits only so long); the mailbox then has no owner and the job's
// outcome goes nowhere. A reply is queued under the lock, so it is queued either before the
// mapper starts going (its destructor then drops it) or not at all.
struct PortMapper::Mailbox {
    std::mutex lock;
    PortMapper* owner = nullptr;

    template <typename Reply> void send(Reply reply)
    {
        const std::lock_guard guard(lock);
        if (PortMapper* to = owner)
            QMetaObject::invokeMethod(
                to, [to, reply = std::move(reply)] { reply(*to); }, Qt::QueuedConnection);
    }
};

PortMapper::PortMapper(QObject* parent)
    : QObject(parent), m_client(std::make_shared<PortMapClient>()),
      m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->owner = this;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("port mapping"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    m_again.setSingleShot(true);
    connect(&m_again, &QTimer::timeout, this, &PortMapper::askRouter);
}

PortMapper::~PortMapper()
{
    {
        const std::lock_guard guard(m_mailbox->lock);
        m_mailbox->owner = nullptr;
    }
    // The removal and the end of the thread are one job, so the thread ends only after the
    // jobs queued before it and the removal have run.
    const bool remove = m_started || m_mapped;
    post([client = m_client, remove] {
        if (remove)
            client->unmap();
        QThread::currentThread()->quit();
    });
    if (m_thread->wait(QDeadlineTimer(kRemovalBound.count()))) {
        delete m_thread;
        return;
    }
    // A router holds the thread in a call. The call ends within the libraries' own timeouts;
    // the thread object then deletes itself, and the client goes with the last job holding it.
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
}

QString PortMapper::manualForwardingHint(quint16 port)
{
    return portmap::manualForwardingHint(port);
}

template <typename Job> void PortMapper::post(Job job)
{
    QMetaObject::invokeMethod(m_worker, std::move(job), Qt::QueuedConnection);
}

void PortMapper::start(quint16 port)
{
    if (m_started && port == m_port)
        return;
    if (m_started)
        stop();
    ++m_generation;
    m_started = true;
    m_port = port;
    askRouter();
}

void PortMapper::stop()
{
    m_again.stop();
    ++m_generation;
    m_started = false;
    m_mapped = false;
    post([client = m_client, mailbox = m_mailbox, generation = m_generation] {
        client->unmap();
        mailbox->send([generation](PortMapper& mapper) { mapper.onRemoved(generation); });
    });
}

void PortMapper::askRouter()
{
    if (!m_started)
        return;
    m_again.stop();
    post([client = m_client, mailbox = m_mailbox, port = m_port, generation = m_generation] {
        const PortMapAttempt attempt = client->map(port, portmap::kRequestedLease);
        mailbox->send(
            [generation, attempt](PortMapper& mapper) { mapper.onAttempt(generation, attempt); });
    });
}

void PortMapper::onAttempt(quint64 generation, const PortMapAttempt& attempt)
{
    if (generation != m_generation)
        return; // asked before a stop() or another start()
    m_mapped = attempt.grant.has_value();
    if (!attempt.grant) {
        m_again.start(portmap::kRetryAfterFailure);
        Q_EMIT unavailable(attempt.failure);
        return;
    }
    if (const auto renewal = portmap::renewalDelay(attempt.grant->lease))
        m_again.start(*renewal);
    Q_EMIT mapped(attempt.grant->externalAddress, attempt.grant->externalPort);
}

void PortMapper::onRemoved(quint64 generation)
{
    // A later start() has its own mapping under way; this removal was of the one before.
    if (generation == m_generation)
        Q_EMIT removed();
}

} // namespace net
