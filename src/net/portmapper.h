#pragma once

// PortMapper: asks the home router to forward the hosted table's TCP port to this computer,
// so friends on the internet can join without anyone setting up the router by hand.
//
// The router is asked by UPnP IGD, or by NAT-PMP where no UPnP gateway answers (see
// PortMapClient). Those calls block for seconds, so they run on a thread of the mapper's own,
// one after the other; start() and stop() return at once and the outcome comes back as a
// signal on the thread that owns the mapper. A router that never answers leaves the window
// responsive: the mapper then tells unavailable() after a few seconds.
//
// While started, the lease is renewed before it runs out, and a router that refused or did
// not answer is asked again every few minutes; each outcome is told again (mapped() after a
// renewal, unavailable() after a failed one). Wiring it into a window:
//
//     auto* mapper = new net::PortMapper(this);
//     connect(mapper, &net::PortMapper::mapped, this, [](const QString& address, quint16 port) {
//         ... show address:port ...
//     });
//     connect(mapper, &net::PortMapper::unavailable, this, [port](const QString&) {
//         ... show net::PortMapper::manualForwardingHint(port) ...
//     });
//     mapper->start(port);
//
// Destroying the mapper removes the mapping, waiting at most kRemovalBound for the router;
// a router slower than that is left to forget it when the lease ends.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

class QThread;

namespace net {

class PortMapClient;
struct PortMapAttempt;

class PortMapper : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kRemovalBound{5000};

    explicit PortMapper(QObject* parent = nullptr);
    ~PortMapper() override;

    PortMapper(const PortMapper&) = delete;
    PortMapper& operator=(const PortMapper&) = delete;

    // Forwards TCP `port` (replacing a port forwarded before) until stop().
    void start(quint16 port);
    // Removes the mapping; removed() follows once the router has been told (or there was
    // nothing to remove). Outcomes of requests made before stop() are no longer told.
    void stop();
    bool isMapped() const { return m_mapped; }
    // The port last asked for (0 before the first start).
    quint16 port() const { return m_port; }

    // The launcher's line when the router would not forward `port`.
    static QString manualForwardingHint(quint16 port);

Q_SIGNALS:
    void mapped(const QString& externalAddress, quint16 externalPort);
    void unavailable(const QString& reason);
    void removed();

private:
    struct Mailbox;

    void askRouter();
    void onAttempt(quint64 generation, const PortMapAttempt& attempt);
    void onRemoved(quint64 generation);
    template <typename Job> void post(Job job);

    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr; // lives on m_thread; jobs run in its context
    std::shared_ptr<PortMapClient> m_client;
    std::shared_ptr<Mailbox> m_mailbox;
    QTimer m_again; // renewal, or a retry after a failure
    quint64 m_generation = 0;
    quint16 m_port = 0;
    bool m_started = false;
    bool m_mapped = false;
};

} // namespace net
