#include "lobby/routerlink.h"

#include "lobby/launcherwindow.h"
#include "net/portmapper.h"
#include "net/quietnetwork.h"

namespace lobby {

RouterLink::RouterLink(LauncherWindow& window, net::PortMapper& router, QObject* parent)
    : QObject(parent)
{
    connect(&window, &LauncherWindow::hostingChanged, this,
            [&window, &router](bool hosting, quint16 port) {
                window.setExternalAddress({});
                window.setRouterNote({});
                if (hosting && !net::quietNetwork())
                    router.start(port);
                else
                    router.stop();
            });
    connect(&router, &net::PortMapper::mapped, this, [&window](const QString& address, quint16) {
        window.setRouterNote({});
        window.setExternalAddress(address);
    });
    connect(&router, &net::PortMapper::unavailable, this, [&window, &router](const QString&) {
        window.setExternalAddress({});
        window.setRouterNote(net::PortMapper::manualForwardingHint(router.port()));
    });
}

} // namespace lobby
