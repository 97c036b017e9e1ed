#include "net/portmaprules.h"

#include <QHostAddress>

#include <algorithm>

namespace net::portmap {

std::optional<std::chrono::seconds> renewalDelay(std::chrono::seconds granted)
{
    using namespace std::chrono_literals;
    if (granted <= 0s)
        return std::nullopt;
    const auto half = std::min(granted, std::chrono::seconds{48h}) / 2;
    return std::clamp(half, std::chrono::seconds{10s}, std::chrono::seconds{24h});
}

bool tryNatPmpAfter(UpnpFinding finding)
{
    return finding != UpnpFinding::Connected;
}

std::optional<QString> externalAddressProblem(const QString& reported)
{
    const QString shown = reported.left(40);
    constexpr qsizetype kLongestIpv4 = 15; // "255.255.255.255"
    // Only the plain dotted quad: Qt would also take "1.2.3" (as 1.2.0.3) and blanks around.
    QHostAddress address;
    if (reported.isEmpty() || reported.size() > kLongestIpv4 || !address.setAddress(reported) ||
        address.protocol() != QAbstractSocket::IPv4Protocol || address.toString() != reported)
        return QStringLiteral("the router reported no usable outside address (\"%1\")").arg(shown);
    const quint32 ip = address.toIPv4Address();
    const auto in = [ip](quint32 network, int bits) {
        return (ip >> (32 - bits)) == (network >> (32 - bits));
    };
    const bool privateUse = in(0x0a000000u, 8) || in(0xac100000u, 12) || in(0xc0a80000u, 16);
    const bool shared = in(0x64400000u, 10); // carrier-grade NAT
    if (privateUse || shared)
        return QStringLiteral("the router's outside address %1 is a private one: another router "
                              "stands between it and the internet")
            .arg(address.toString());
    if (ip == 0 || !address.isGlobal())
        return QStringLiteral("the router's outside address %1 cannot be reached from the internet")
            .arg(address.toString());
    return std::nullopt;
}

QString unavailableReason(const QString& upnpFailure, const std::optional<QString>& natPmpFailure)
{
    if (!natPmpFailure)
        return QStringLiteral("UPnP: %1").arg(upnpFailure);
    return QStringLiteral("UPnP: %1; NAT-PMP: %2").arg(upnpFailure, *natPmpFailure);
}

QString manualForwardingHint(quint16 port)
{
    return QStringLiteral(
               "Friends outside your network need port %1 forwarded to this computer by hand.")
        .arg(port);
}

} // namespace net::portmap
