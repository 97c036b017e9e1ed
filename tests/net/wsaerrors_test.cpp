// The Windows Sockets error table every report uses.
#include "tsockfixture.h"

using namespace tsocktest;

// --- error codes --------------------------------------------------------------------------------

TEST(WsaErrors, NamesEveryKnownCodeAndOnlyThose)
{
    EXPECT_EQ(wsaErrorText(10061), QStringLiteral("Error #10061 (WSAECONNREFUSED)"));
    EXPECT_EQ(wsaErrorText(12345), QStringLiteral("Error #12345 (UNKNOWN ERROR)"));
    EXPECT_EQ(wsaErrorName(10004), QLatin1String("WSAEINTR"));
    EXPECT_EQ(wsaErrorName(10035), QLatin1String("WSAEWOULDBLOCK"));
    EXPECT_EQ(wsaErrorName(10054), QLatin1String("WSAECONNRESET"));
    EXPECT_EQ(wsaErrorName(10071), QLatin1String("WSAEREMOTE"));
    EXPECT_EQ(wsaErrorName(10093), QLatin1String("WSANOTINITIALISED"));
    EXPECT_EQ(wsaErrorName(10101), QLatin1String("WSAEDISCON"));
    EXPECT_EQ(wsaErrorName(11004), QLatin1String("WSANO_DATA"));
    const auto known = [](int code) {
        return wsaErrorName(code) != QLatin1String("UNKNOWN ERROR");
    };
    for (int code = 10035; code <= 10071; ++code)
        EXPECT_TRUE(known(code)) << code;
    for (int code : {10009, 10013, 10014, 10022, 10024, 10091, 10092, 11001, 11002, 11003})
        EXPECT_TRUE(known(code)) << code;
    for (int code :
         {0, -1, 10000, 10003, 10005, 10034, 10072, 10090, 10094, 10100, 10102, 11000, 11005})
        EXPECT_FALSE(known(code)) << code;
    EXPECT_FALSE(known(wsaErrorCode(QAbstractSocket::UnknownSocketError)));
    EXPECT_EQ(wsaErrorCode(QAbstractSocket::ConnectionRefusedError), 10061);
    EXPECT_EQ(wsaErrorCode(QAbstractSocket::HostNotFoundError), 11001);
}
