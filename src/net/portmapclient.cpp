#include "net/portmapclient.h"

#include <QByteArray>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <natpmp.h>
#include <poll.h>

namespace net {

using portmap::Method;
using portmap::UpnpFinding;

namespace {

constexpr char kDescription[] = "Quillon";
constexpr char kTcp[] = "TCP";
// The router answers UPnP error 725 when it keeps mappings only until they are removed.
constexpr int kOnlyPermanentLeases = 725;

QString upnpError(int code)
{
    const char* text = strupnperror(code);
    return text ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(text)).arg(code)
                : QStringLiteral("error %1").arg(code);
}

QString natPmpError(int code)
{
    switch (code) {
    case NATPMP_ERR_CANNOTGETGATEWAY:
        return QStringLiteral("this computer has no default gateway");
    case NATPMP_ERR_NOGATEWAYSUPPORT:
    case NATPMP_ERR_RECVFROM:
    case NATPMP_ERR_CONNECTERR:
    case NATPMP_ERR_SENDERR:
        return QStringLiteral("the gateway does not speak NAT-PMP");
    case NATPMP_ERR_NOTAUTHORIZED:
        return QStringLiteral("the router refused (not authorised)");
    case NATPMP_ERR_NETWORKFAILURE:
        return QStringLiteral("the router has no outside address");
    case NATPMP_ERR_OUTOFRESOURCES:
        return QStringLiteral("the router has no room for another mapping");
    case NATPMP_TRYAGAIN:
        return QStringLiteral("no answer from the gateway");
    default:
        return QStringLiteral("error %1").arg(code);
    }
}

// One NAT-PMP exchange: a request is pending on `natpmp`; waits for its answer, letting
// libnatpmp resend on its schedule, but no longer than `budget` in all (libnatpmp alone would
// keep trying for two minutes). NATPMP_TRYAGAIN when the budget ran out.
int awaitNatPmp(natpmp_t& natpmp, natpmpresp_t& response, std::chrono::milliseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + budget;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return NATPMP_TRYAGAIN;
        timeval retry{};
        getnatpmprequesttimeout(&natpmp, &retry);
        auto wait = std::chrono::milliseconds{retry.tv_sec * 1000 + retry.tv_usec / 1000};
        wait = std::clamp(wait, std::chrono::milliseconds{1}, left);
        pollfd socket{natpmp.s, POLLIN, 0};
        poll(&socket, 1, static_cast<int>(wait.count()));
        const int result = readnatpmpresponseorretry(&natpmp, &response);
        if (result != NATPMP_TRYAGAIN)
            return result;
    }
}

struct NatPmpSession {
    natpmp_t natpmp{};
    int opened = -1;
    NatPmpSession() { opened = initnatpmp(&natpmp, 0, 0); }
    ~NatPmpSession()
    {
        if (opened == 0)
            closenatpmp(&natpmp);
    }
    NatPmpSession(const NatPmpSession&) = delete;
    NatPmpSession& operator=(const NatPmpSession&) = delete;
};

} // namespace

struct PortMapClient::Upnp {
    UPNPUrls urls{};
    IGDdatas data{};
    std::array<char, 64> lanAddress{};
    bool haveUrls = false;

    Upnp() = default;
    ~Upnp() { release(); }
    Upnp(const Upnp&) = delete;
    Upnp& operator=(const Upnp&) = delete;

    void release()
    {
        if (haveUrls)
            FreeUPNPUrls(&urls);
        haveUrls = false;
    }

    UpnpFinding find(std::chrono::milliseconds discovery)
    {
        release();
        int error = 0;
        UPNPDev* devices = upnpDiscover(static_cast<int>(discovery.count()), nullptr, nullptr,
                                        UPNP_LOCAL_PORT_ANY, 0, 2, &error);
        if (!devices)
            return UpnpFinding::NoDevice;
#if MINIUPNPC_API_VERSION >= 18
        std::array<char, 64> wanAddress{};
        const int found =
            UPNP_GetValidIGD(devices, &urls, &data, lanAddress.data(), int(lanAddress.size()),
                             wanAddress.data(), int(wanAddress.size()));
#else
        const int found = UPNP_GetValidIGD(devices, &urls, &data, lanAddress.data(),
                                           static_cast<int>(lanAddress.size()));
#endif
        freeUPNPDevlist(devices);
        if (found == 0)
            return UpnpFinding::NoDevice;
        haveUrls = true;
        if (found == 1)
            return UpnpFinding::Connected;
        release();
        return found == 2 ? UpnpFinding::NotConnected : UpnpFinding::NotAnIgd;
    }

    int add(quint16 port, std::chrono::seconds lease)
    {
        const QByteArray number = QByteArray::number(port);
        const QByteArray seconds = QByteArray::number(static_cast<qlonglong>(lease.count()));
        return UPNP_AddPortMapping(urls.controlURL, data.first.servicetype, number.constData(),
                                   number.constData(), lanAddress.data(), kDescription, kTcp,
                                   nullptr, seconds.constData());
    }

    int remove(quint16 port)
    {
        const QByteArray number = QByteArray::number(port);
        return UPNP_DeletePortMapping(urls.controlURL, data.first.servicetype, number.constData(),
                                      kTcp, nullptr);
    }
};

PortMapClient::PortMapClient() : PortMapClient(Timeouts{}) {}

PortMapClient::PortMapClient(Timeouts timeouts)
    : m_timeouts(timeouts), m_upnp(std::make_unique<Upnp>())
{}

PortMapClient::~PortMapClient() = default;

PortMapAttempt PortMapClient::map(quint16 port, std::chrono::seconds lease)
{
    if (port == 0)
        return {std::nullopt, QStringLiteral("no port to forward")};
    if (m_made && m_made->port != port)
        unmap();
    UpnpFinding found = UpnpFinding::NoDevice;
    PortMapAttempt upnp = mapUpnp(port, lease, found);
    if (upnp.grant || !portmap::tryNatPmpAfter(found))
        return upnp;
    PortMapAttempt natPmp = mapNatPmp(port, lease);
    if (natPmp.grant)
        return natPmp;
    return {std::nullopt, portmap::unavailableReason(upnp.failure, natPmp.failure)};
}

PortMapAttempt PortMapClient::mapUpnp(quint16 port, std::chrono::seconds lease, UpnpFinding& found)
{
    found = m_upnp->find(m_timeouts.discovery);
    switch (found) {
    case UpnpFinding::NoDevice:
        return {std::nullopt, QStringLiteral("no router answered")};
    case UpnpFinding::NotAnIgd:
        return {std::nullopt, QStringLiteral("no UPnP device here is a router")};
    case UpnpFinding::NotConnected:
        return {std::nullopt, QStringLiteral("the router says it is not connected")};
    case UpnpFinding::Connected:
        break;
    }
    std::array<char, 40> external{};
    const int asked = UPNP_GetExternalIPAddress(m_upnp->urls.controlURL,
                                                m_upnp->data.first.servicetype, external.data());
    external.back() = '\0';
    const QString address = QString::fromLatin1(external.data());
    if (asked != UPNPCOMMAND_SUCCESS)
        return {std::nullopt, QStringLiteral("the router would not tell its outside address: %1")
                                  .arg(upnpError(asked))};
    if (auto problem = portmap::externalAddressProblem(address))
        return {std::nullopt, *problem};
    int added = m_upnp->add(port, lease);
    if (added == kOnlyPermanentLeases) {
        lease = std::chrono::seconds{0};
        added = m_upnp->add(port, lease);
    }
    if (added != UPNPCOMMAND_SUCCESS)
        return {std::nullopt, QStringLiteral("the router refused: %1").arg(upnpError(added))};
    m_made = Made{Method::Upnp, port};
    return {PortMapGrant{Method::Upnp, address, port, lease}, {}};
}

PortMapAttempt PortMapClient::mapNatPmp(quint16 port, std::chrono::seconds lease)
{
    NatPmpSession session;
    if (session.opened != 0)
        return {std::nullopt, natPmpError(session.opened)};
    natpmpresp_t response{};
    int result = sendpublicaddressrequest(&session.natpmp);
    if (result >= 0)
        result = awaitNatPmp(session.natpmp, response, m_timeouts.natPmp);
    if (result < 0)
        return {std::nullopt, natPmpError(result)};
    if (response.type != NATPMP_RESPTYPE_PUBLICADDRESS)
        return {std::nullopt, QStringLiteral("the router answered something else")};
    std::array<char, INET_ADDRSTRLEN> text{};
    inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text.data(),
              static_cast<socklen_t>(text.size()));
    const QString address = QString::fromLatin1(text.data());
    if (auto problem = portmap::externalAddressProblem(address))
        return {std::nullopt, *problem};

    const auto asked = static_cast<uint32_t>(std::clamp<long long>(lease.count(), 1, 86400));
    result = sendnewportmappingrequest(&session.natpmp, NATPMP_PROTOCOL_TCP, port, port, asked);
    if (result >= 0)
        result = awaitNatPmp(session.natpmp, response, m_timeouts.natPmp);
    if (result < 0)
        return {std::nullopt, natPmpError(result)};
    const auto& mapping = response.pnu.newportmapping;
    if (response.type != NATPMP_RESPTYPE_TCPPORTMAPPING || mapping.privateport != port ||
        mapping.mappedpublicport == 0 || mapping.lifetime == 0)
        return {std::nullopt, QStringLiteral("the router answered something else")};
    m_made = Made{Method::NatPmp, port};
    return {PortMapGrant{Method::NatPmp, address, mapping.mappedpublicport,
                         std::chrono::seconds{mapping.lifetime}},
            {}};
}

QString PortMapClient::unmap()
{
    if (!m_made)
        return {};
    const Made made = *m_made;
    m_made.reset();
    return made.method == Method::Upnp ? unmapUpnp(made.port) : unmapNatPmp(made.port);
}

QString PortMapClient::unmapUpnp(quint16 port)
{
    if (!m_upnp->haveUrls)
        return QStringLiteral("the router is no longer known");
    const int removed = m_upnp->remove(port);
    // 714 NoSuchEntryInArray: the router has forgotten it already, which is what was wanted.
    if (removed == UPNPCOMMAND_SUCCESS || removed == 714)
        return {};
    return QStringLiteral("the router would not remove it: %1").arg(upnpError(removed));
}

QString PortMapClient::unmapNatPmp(quint16 port)
{
    NatPmpSession session;
    if (session.opened != 0)
        return natPmpError(session.opened);
    natpmpresp_t response{};
    // A lifetime of 0 asks for the mapping of this private port to go.
    int result = sendnewportmappingrequest(&session.natpmp, NATPMP_PROTOCOL_TCP, port, 0, 0);
    if (result >= 0)
        result = awaitNatPmp(session.natpmp, response, m_timeouts.natPmp);
    return result < 0 ? natPmpError(result) : QString();
}

} // namespace net
