#include "net/wsaerrors.h"

#include <algorithm>
#include <iterator>

namespace net {

namespace {

struct WsaName {
    int code;
    const char* name;
};

// Sorted by code, for the binary search below.
constexpr WsaName kNames[] = {
    {10004, "WSAEINTR"},           {10009, "WSAEBADF"},        {10013, "WSAEACCES"},
    {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},       {10024, "WSAEMFILE"},
    {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},  {10037, "WSAEALREADY"},
    {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"},
    {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},  {10043, "WSAEPROTONOSUPPORT"},
    {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},   {10046, "WSAEPFNOSUPPORT"},
    {10047, "WSAEAFNOSUPPORT"},    {10048, "WSAEADDRINUSE"},   {10049, "WSAEADDRNOTAVAIL"},
    {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},  {10052, "WSAENETRESET"},
    {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},   {10055, "WSAENOBUFS"},
    {10056, "WSAEISCONN"},         {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
    {10059, "WSAETOOMANYREFS"},    {10060, "WSAETIMEDOUT"},    {10061, "WSAECONNREFUSED"},
    {10062, "WSAELOOP"},           {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"},
    {10065, "WSAEHOSTUNREACH"},    {10066, "WSAENOTEMPTY"},    {10067, "WSAEPROCLIM"},
    {10068, "WSAEUSERS"},          {10069, "WSAEDQUOT"},       {10070, "WSAESTALE"},
    {10071, "WSAEREMOTE"},         {10091, "WSASYSNOTREADY"},  {10092, "WSAVERNOTSUPPORTED"},
    {10093, "WSANOTINITIALISED"},  {10101, "WSAEDISCON"},      {11001, "WSAHOST_NOT_FOUND"},
    {11002, "WSATRY_AGAIN"},       {11003, "WSANO_RECOVERY"},  {11004, "WSANO_DATA"},
};

static_assert(std::is_sorted(std::begin(kNames), std::end(kNames),
                             [](const WsaName& a, const WsaName& b) { return a.code < b.code; }));

} // namespace

QLatin1String wsaErrorName(int code)
{
    const auto* it = std::lower_bound(std::begin(kNames), std::end(kNames), code,
                                      [](const WsaName& entry, int c) { return entry.code < c; });
    if (it == std::end(kNames) || it->code != code)
        return QLatin1String("UNKNOWN ERROR");
    return QLatin1String(it->name);
}

QString wsaErrorText(int code)
{
    return QStringLiteral("Error #") + QString::number(code) + QStringLiteral(" (") +
           wsaErrorName(code) + QLatin1Char(')');
}

int wsaErrorCode(QAbstractSocket::SocketError error)
{
    using E = QAbstractSocket::SocketError;
    switch (error) {
    case E::ConnectionRefusedError:
    case E::ProxyConnectionRefusedError:
        return wsa::ConnectionRefused;
    case E::RemoteHostClosedError:
    case E::ProxyConnectionClosedError:
        return wsa::ConnectionReset;
    case E::HostNotFoundError:
    case E::ProxyNotFoundError:
        return wsa::HostNotFound;
    case E::SocketAccessError:
    case E::ProxyAuthenticationRequiredError:
    case E::ProxyProtocolError:
        return wsa::AccessDenied;
    case E::SocketResourceError:
        return wsa::NoBuffers;
    case E::SocketTimeoutError:
    case E::ProxyConnectionTimeoutError:
        return wsa::TimedOut;
    case E::DatagramTooLargeError:
        return wsa::MessageSize;
    case E::NetworkError:
        return wsa::NetworkDown;
    case E::AddressInUseError:
        return wsa::AddressInUse;
    case E::SocketAddressNotAvailableError:
        return wsa::AddressNotAvailable;
    case E::UnsupportedSocketOperationError:
        return wsa::OperationNotSupported;
    case E::UnfinishedSocketOperationError:
        return wsa::InProgress;
    case E::OperationError:
        return wsa::InvalidArgument;
    case E::TemporaryError:
        return wsa::WouldBlock;
    default:
        return wsa::Base;
    }
}

} // namespace net
