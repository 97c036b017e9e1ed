#pragma once

#include <QStringList>

namespace client {

// This computer's IPv4 addresses on its local networks, dotted: those of interfaces that are
// up and running, loopback left out, in the order the system lists them. What a hosting copy
// hands to friends on the same network.
QStringList localNetworkAddresses();

} // namespace client
