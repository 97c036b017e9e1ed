#pragma once

// Error codes and names of the info reports. Every failure the transport reports carries a
// Windows Sockets 1.1 error code, whatever the platform underneath, because that is the code
// the game and its peers have always shown: "Error #10061 (WSAECONNREFUSED)".

#include <QAbstractSocket>
#include <QLatin1String>
#include <QString>

namespace net {

namespace wsa {
inline constexpr int Base = 10000; // WSABASEERR; also the code of errors that have no better one
inline constexpr int AccessDenied = 10013;          // WSAEACCES
inline constexpr int InvalidArgument = 10022;       // WSAEINVAL
inline constexpr int WouldBlock = 10035;            // WSAEWOULDBLOCK
inline constexpr int InProgress = 10036;            // WSAEINPROGRESS
inline constexpr int MessageSize = 10040;           // WSAEMSGSIZE
inline constexpr int OperationNotSupported = 10045; // WSAEOPNOTSUPP
inline constexpr int AddressInUse = 10048;          // WSAEADDRINUSE
inline constexpr int AddressNotAvailable = 10049;   // WSAEADDRNOTAVAIL
inline constexpr int NetworkDown = 10050;           // WSAENETDOWN
inline constexpr int ConnectionReset = 10054;       // WSAECONNRESET
inline constexpr int NoBuffers = 10055;             // WSAENOBUFS
inline constexpr int TimedOut = 10060;              // WSAETIMEDOUT
inline constexpr int ConnectionRefused = 10061;     // WSAECONNREFUSED
inline constexpr int HostNotFound = 11001;          // WSAHOST_NOT_FOUND
} // namespace wsa

// The symbolic name of a Windows Sockets error code ("WSAECONNREFUSED"), or "UNKNOWN ERROR"
// for a code outside the known set.
QLatin1String wsaErrorName(int code);

// The text of the Error info report: "Error #10061 (WSAECONNREFUSED)".
QString wsaErrorText(int code);

// The Windows Sockets code that stands for a Qt socket error. Qt folds several platform errors
// into one value, so this picks the code a Windows peer would most likely have seen:
//
//   ConnectionRefusedError            10061 WSAECONNREFUSED
//   RemoteHostClosedError             10054 WSAECONNRESET   (only used when the close was a
//                                                            reset; see TSock)
//   HostNotFoundError                 11001 WSAHOST_NOT_FOUND
//   SocketAccessError                 10013 WSAEACCES
//   SocketResourceError               10055 WSAENOBUFS      (also stands for out of sockets)
//   SocketTimeoutError                10060 WSAETIMEDOUT
//   DatagramTooLargeError             10040 WSAEMSGSIZE
//   NetworkError                      10050 WSAENETDOWN     (unreachable network or host,
//                                                            dead connection)
//   AddressInUseError                 10048 WSAEADDRINUSE
//   SocketAddressNotAvailableError    10049 WSAEADDRNOTAVAIL
//   UnsupportedSocketOperationError   10045 WSAEOPNOTSUPP
//   UnfinishedSocketOperationError    10036 WSAEINPROGRESS
//   OperationError                    10022 WSAEINVAL
//   TemporaryError                    10035 WSAEWOULDBLOCK
//   proxy errors                      as their plain counterparts (refused, reset, timed out,
//                                     not found; authentication and protocol: 10013)
//   anything else                     10000, shown as "UNKNOWN ERROR"
int wsaErrorCode(QAbstractSocket::SocketError error);

} // namespace net
