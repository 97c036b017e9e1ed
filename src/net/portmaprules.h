#pragma once

// The decisions behind asking a home router to forward the table's port, kept apart from the
// sockets so they can be tested: how long a lease to ask for and when to renew it, when to
// fall back from UPnP to NAT-PMP, whether the outside address a router reports is any use to
// friends on the internet, and the words the launcher shows.

#include <QString>

#include <chrono>
#include <optional>

namespace net::portmap {

enum class Method { Upnp, NatPmp };

// What a UPnP search found, from miniupnpc's UPNP_GetValidIGD.
enum class UpnpFinding {
    NoDevice,     // nothing answered the search
    NotAnIgd,     // UPnP devices answered, none of them a gateway
    NotConnected, // a gateway that says it has no internet connection
    Connected,    // a gateway that can forward ports
};

// The lease asked for. Routers forget a mapping whose lease ran out, so a table that crashed
// leaves no port open for longer than this.
inline constexpr std::chrono::seconds kRequestedLease{3600};
// How long a router that refused or never answered is left alone before asking again.
inline constexpr std::chrono::seconds kRetryAfterFailure{300};

// When to ask again for a lease the router granted for `granted`: halfway through, so one lost
// renewal still leaves time for another, but never sooner than 10 s (a router granting a few
// seconds is not asked in a tight loop) and at least once a day. Nothing for a lease of 0,
// which UPnP grants as "until removed".
std::optional<std::chrono::seconds> renewalDelay(std::chrono::seconds granted);

// NAT-PMP is asked only where no UPnP gateway could do it: one that is connected and refused
// has said no for the router, and asking the same router again another way only takes longer.
bool tryNatPmpAfter(UpnpFinding finding);

// Why the outside address a router reported cannot reach this computer from the internet, or
// nothing when it can. The text comes from the network: it is checked as plain IPv4 text of
// bounded length, and a private or shared address means another router (the provider's)
// stands between this one and the internet, where no forwarding of ours helps.
std::optional<QString> externalAddressProblem(const QString& reported);

// The reason told when neither way worked.
QString unavailableReason(const QString& upnpFailure, const std::optional<QString>& natPmpFailure);

// The launcher's line when the router cannot forward the port.
QString manualForwardingHint(quint16 port);

} // namespace net::portmap
