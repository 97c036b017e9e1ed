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

TEST(InviteLink, AGoodLinkGivesTheTablesAddress)
{
    const struct {
        const char* link;
        const char* host;
        quint16 port;
    } good[] = {
        {"quillon://10.0.0.2", "10.0.0.2", 7772},
        {"quillon://10.0.0.2:7800/", "10.0.0.2", 7800},
        {"QUILLON://Game-1.example.org", "Game-1.example.org", 7772},
        {"Quillon://h:1", "h", 1},
        {"quillon://255.255.255.255:65535", "255.255.255.255", 65535},
        {"quillon://0xa.example/", "0xa.example", 7772},
    };
    for (const auto& c : good) {
        const InviteReading read = readInviteLink(QString::fromLatin1(c.link));
        ASSERT_TRUE(read.table.has_value()) << c.link << ": " << read.problem.toStdString();
        EXPECT_EQ(read.table->host, QString::fromLatin1(c.host)) << c.link;
        EXPECT_EQ(read.table->port, c.port) << c.link;
        EXPECT_TRUE(read.problem.isEmpty());
        EXPECT_TRUE(isInviteLink(QString::fromLatin1(c.link)));
    }
    const QString label(63, QLatin1Char('a'));
    const QString longest =
        QStringLiteral("quillon://") +
        QStringList{label, label, label, QString(61, QLatin1Char('b'))}.join(QLatin1Char('.')) +
        QStringLiteral(":7772"); // a host of 253 characters
    EXPECT_TRUE(readInviteLink(longest).table.has_value());
    EXPECT_TRUE(readInviteLink(QStringLiteral("quillon://") + QString(63, QLatin1Char('x')))
                    .table.has_value());
}

TEST(InviteLink, AHostileLinkIsRefusedSayingWhatIsWrong)
{
    const struct {
        QString link;
        const char* says;
    } bad[] = {
        {QStringLiteral("quillon://-platform"), "cannot begin with \"-\""},
        {QStringLiteral("quillon://.example"), "cannot begin with \".\""},
        {QStringLiteral("quillon://a..b"), "empty part"},
        {QStringLiteral("quillon://a b"), "blanks or control characters"},
        {QStringLiteral("quillon://host\n-x"), "blanks or control characters"},
        {QStringLiteral("quillon://ho\u200bst"), "blanks or control characters"},
        {QStringLiteral("quillon://host\t"), "blanks or control characters"},
        {QStringLiteral("quillon://h:0"), "port must be a number from 1 to 65535"},
        {QStringLiteral("quillon://h:65536"), "port must be a number from 1 to 65535"},
        {QStringLiteral("quillon://h:99999999999999999999"), "port must be a number"},
        {QStringLiteral("quillon://h:+80"), "port must be a number"},
        {QStringLiteral("quillon://h:"), "port must be a number"},
        {QStringLiteral("quillon://h:1:2"), "port must be a number"},
        {QStringLiteral("quillon://[::1]:7772"), "cannot hold \"[\""},
        {QStringLiteral("quillon://ann@h"), "user name (\"@\")"},
        {QStringLiteral("quillon://h/table"), "path, query or fragment (\"/\")"},
        {QStringLiteral("quillon://h//"), "path, query or fragment (\"/\")"},
        {QStringLiteral("quillon://h?x=1"), "path, query or fragment (\"?\")"},
        {QStringLiteral("quillon://h#top"), "path, query or fragment (\"#\")"},
        {QStringLiteral("quillon://"), "names no host"},
        {QStringLiteral("quillon://:7772"), "names no host"},
        {QStringLiteral("quillon://h\u00e9te"), "cannot hold \"\u00e9\""},
        {QStringLiteral("quillon://h\U0001F600"), "cannot hold \"U+d83d\""},
        {QStringLiteral("quillon://h_1"), "cannot hold \"_\""},
        {QStringLiteral("quillon://256.1.1.1"), "not an IPv4 address"},
        {QStringLiteral("quillon://1.2.3"), "not an IPv4 address"},
        {QStringLiteral("quillon://0001.2.3.4"), "not an IPv4 address"},
        {QStringLiteral("quillon:10.0.0.2"), "does not begin with \"quillon://\""},
        {QStringLiteral("http://10.0.0.2"), "does not begin with \"quillon://\""},
        {QStringLiteral("--help"), "does not begin with \"quillon://\""},
        {QStringLiteral("quillon://") + QString(254, QLatin1Char('a')), "longer than 253"},
        {QStringLiteral("quillon://") + QString(64, QLatin1Char('a')), "longer than 63"},
        {QStringLiteral("quillon://") + QString(100000, QLatin1Char('a')), "longer than 300"},
    };
    for (const auto& c : bad) {
        const InviteReading read = readInviteLink(c.link);
        EXPECT_FALSE(read.table.has_value()) << c.link.left(40).toStdString();
        EXPECT_TRUE(read.problem.startsWith(QStringLiteral("This invite link cannot be used: ")));
        EXPECT_TRUE(read.problem.contains(QString::fromUtf8(c.says)))
            << c.link.left(40).toStdString() << ": " << read.problem.toStdString();
    }
    EXPECT_FALSE(isInviteLink(QStringLiteral("http://quillon")));
    EXPECT_FALSE(isInviteLink(QStringLiteral("quillon")));
}

TEST(InviteLink, TheLinkToHandOutLeavesTheGamesPortOutAndPrefersTheInternetAddress)
{
    EXPECT_EQ(inviteLink({QStringLiteral("10.0.0.2"), kGamePort}),
              QStringLiteral("quillon://10.0.0.2"));
    EXPECT_EQ(joinAddress({QStringLiteral("h"), 7800}), QStringLiteral("h:7800"));
    const QStringList locals{QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.7")};
    EXPECT_EQ(inviteLinkFor(QStringLiteral("203.0.113.9"), locals),
              QStringLiteral("quillon://203.0.113.9"));
    EXPECT_EQ(inviteLinkFor(QString(), locals), QStringLiteral("quillon://192.168.1.20"));
    EXPECT_EQ(inviteLinkFor(QString(), locals, 7800),
              QStringLiteral("quillon://192.168.1.20:7800"));
    EXPECT_TRUE(inviteLinkFor(QString(), {}).isEmpty());
    // What is handed out reads back as the same table.
    const InviteReading back = readInviteLink(inviteLinkFor(QString(), locals, 7800));
    ASSERT_TRUE(back.table.has_value());
    EXPECT_EQ(joinAddress(*back.table), QStringLiteral("192.168.1.20:7800"));
}
