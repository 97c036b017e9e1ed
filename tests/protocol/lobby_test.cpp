#include "protocol/lobby.h"

#include <gtest/gtest.h>

using namespace protocol::lobby;
using Mode = CommandLine::Mode;

TEST(LobbyCommandLine, IsReadByPosition)
{
    EXPECT_EQ(readCommandLine({}).mode, Mode::Solo);

    const CommandLine one = readCommandLine({QStringLiteral("Ann")});
    EXPECT_EQ(one.mode, Mode::Waiting);
    EXPECT_EQ(one.playerName, QStringLiteral("Ann"));
    EXPECT_EQ(readCommandLine({QStringLiteral("Ann"), QStringLiteral("10.0.0.2")}).mode,
              Mode::Waiting);

    const CommandLine host = readCommandLine(
        {QStringLiteral("Ann"), QStringLiteral("10.0.0.2"), QStringLiteral("true")});
    EXPECT_EQ(host.mode, Mode::Host);
    EXPECT_EQ(host.hostAddress, QStringLiteral("127.0.0.1")); // a host connects to itself

    const CommandLine join = readCommandLine({QStringLiteral("Bob"), QStringLiteral("game.example"),
                                              QStringLiteral("false"), QStringLiteral("extra")});
    EXPECT_EQ(join.mode, Mode::Join);
    EXPECT_EQ(join.playerName, QStringLiteral("Bob"));
    EXPECT_EQ(join.hostAddress, QStringLiteral("game.example"));

    // Only the exact word hosts.
    EXPECT_EQ(
        readCommandLine({QStringLiteral("A"), QStringLiteral("h"), QStringLiteral("TRUE")}).mode,
        Mode::Join);
}

TEST(Lobby, AJoiningAddressMayNameAnotherPort)
{
    const auto at = [](const char* address) {
        const Endpoint e = readEndpoint(QString::fromLatin1(address));
        return e.host + QLatin1Char('/') + QString::number(e.port);
    };
    EXPECT_EQ(at("10.0.0.2"), QStringLiteral("10.0.0.2/7772"));
    EXPECT_EQ(at("10.0.0.2:7800"), QStringLiteral("10.0.0.2/7800"));
    EXPECT_EQ(at("game.example:65535"), QStringLiteral("game.example/65535"));
    // Without a readable port the whole text is the host (and fails its lookup as such).
    for (const char* odd : {"h:0", "h:65536", "h:x", ":7800", "h:"})
        EXPECT_EQ(at(odd), QString::fromLatin1(odd) + QStringLiteral("/7772")) << odd;
}
