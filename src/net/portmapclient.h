#pragma once

// PortMapClient: the blocking conversation with a home router about one forwarded TCP port,
// through miniupnpc (UPnP IGD) and libnatpmp. Every call blocks for up to a few seconds, so it
// belongs on a worker thread (PortMapper runs it on one); it has no Qt objects and no thread
// of its own. One client makes at most one mapping at a time and remembers how it made it, so
// unmap() removes it the same way.

#include "net/portmaprules.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace net {

struct PortMapGrant {
    portmap::Method method = portmap::Method::Upnp;
    QString externalAddress;
    quint16 externalPort = 0;
    std::chrono::seconds lease{0}; // 0: until removed
};

struct PortMapAttempt {
    std::optional<PortMapGrant> grant;
    QString failure; // why there is no grant
};

class PortMapClient {
public:
    struct Timeouts {
        // Each of the UPnP search's four kinds of device (gateway, its two connection services,
        // any root device) waits this long when nothing answers, one after the other.
        std::chrono::milliseconds discovery{1000};
        std::chrono::milliseconds natPmp{2500}; // each NAT-PMP request with its retries
    };

    PortMapClient();
    explicit PortMapClient(Timeouts timeouts);
    ~PortMapClient();

    PortMapClient(const PortMapClient&) = delete;
    PortMapClient& operator=(const PortMapClient&) = delete;

    // Asks the router to forward TCP `port` on its outside address to this machine's `port`
    // for `lease`: UPnP first, NAT-PMP where no UPnP gateway could. Asking again for the same
    // port renews the lease. A grant whose outside address is useless from the internet is
    // given back at once and told as a failure.
    PortMapAttempt map(quint16 port, std::chrono::seconds lease);
    // Removes the mapping the last successful map() made; empty when it is gone or there was
    // none, otherwise why the router would not remove it (its lease still ends it).
    QString unmap();

private:
    struct Upnp;
    struct Made {
        portmap::Method method;
        quint16 port;
    };

    PortMapAttempt mapUpnp(quint16 port, std::chrono::seconds lease, portmap::UpnpFinding& found);
    PortMapAttempt mapNatPmp(quint16 port, std::chrono::seconds lease);
    QString unmapUpnp(quint16 port);
    QString unmapNatPmp(quint16 port);

    Timeouts m_timeouts;
    std::unique_ptr<Upnp> m_upnp; // the gateway of the last UPnP mapping
    std::optional<Made> m_made;
};

} // namespace net
