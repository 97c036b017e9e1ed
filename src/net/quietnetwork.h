#pragma once

#include <QString>
#include <QtGlobal>

namespace net {

// QUILLON_QUIET_NETWORK=1 keeps the tables of a process to themselves: they are not
// announced on the local network and no router is asked to forward their port. The test
// suites set it, since their tables are nobody's business on the network they run on.
inline bool quietNetwork()
{
    return qEnvironmentVariable("QUILLON_QUIET_NETWORK") == QLatin1String("1");
}

} // namespace net
