#pragma once

#include <QObject>

namespace net {
class PortMapper;
}

namespace lobby {

class LauncherWindow;

// Ties the launcher to the home router: while the game it started hosts, the router is
// asked to forward the game's port, and the window shows the internet address friends join
// at, or the line saying the port needs forwarding by hand. Nothing is asked of the router
// under QUILLON_QUIET_NETWORK=1 (see net::quietNetwork).
class RouterLink : public QObject {
    Q_OBJECT
public:
    RouterLink(LauncherWindow& window, net::PortMapper& router, QObject* parent = nullptr);
};

} // namespace lobby
