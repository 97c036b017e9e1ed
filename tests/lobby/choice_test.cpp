// What the launcher accepts from the player before it starts the game, the command line it
// builds, and what it remembers in the settings file it shares with the game.
#include "lobby/lobbysettings.h"
#include "lobby/tablechoice.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lobby;

TEST(TableChoice, NamesTheWireCannotCarryAreRefusedWithTheReason)
{
    EXPECT_EQ(nameProblem(QStringLiteral("  ")), QString::fromLatin1(kEmptyName));
    EXPECT_EQ(nameProblem(QString(65, QLatin1Char('a'))), QString::fromLatin1(kNameTooLong));
    EXPECT_EQ(nameProblem(QStringLiteral("-platform")), QString::fromLatin1(kNameStartsWithDash));

    const auto terminator = nameProblem(QStringLiteral("Zo\u00ffa"));
    ASSERT_TRUE(terminator.has_value());
    EXPECT_TRUE(terminator->contains(QStringLiteral("\"\u00ff\""))) << terminator->toStdString();
    const auto foreign = nameProblem(QStringLiteral("Ann \u6f22"));
    ASSERT_TRUE(foreign.has_value());
    EXPECT_TRUE(foreign->contains(QStringLiteral("\u6f22")));
    const auto control = nameProblem(QStringLiteral("Ann\tB"));
    ASSERT_TRUE(control.has_value());
    EXPECT_TRUE(control->contains(QStringLiteral("U+0009")));

    // Windows-1252 holds these, and "+" ends no field in the login's last one.
    for (const QString& name : {QStringLiteral("Ann+Bob"), QStringLiteral("Zo\u00eb \u20ac5"),
                                QString(64, QLatin1Char('x')), QStringLiteral(" Bob ")})
        EXPECT_EQ(nameProblem(name), std::nullopt) << name.toStdString();
}

TEST(TableChoice, AddressesAreCheckedAndTheCommandLineIsTheLobbys)
{
    EXPECT_EQ(addressProblem(QStringLiteral(" ")), QString::fromLatin1(kEmptyAddress));
    EXPECT_EQ(addressProblem(QStringLiteral("-style")),
              QString::fromLatin1(kAddressStartsWithDash));
    EXPECT_EQ(addressProblem(QStringLiteral("my host")), QString::fromLatin1(kAddressWithBlanks));
    EXPECT_EQ(addressProblem(QStringLiteral("10.0.0.5")), std::nullopt);
    EXPECT_EQ(hostToLookUp(QStringLiteral(" table.example:7773 ")),
              QStringLiteral("table.example"));
    EXPECT_EQ(hostToLookUp(QStringLiteral("10.0.0.5")), QStringLiteral("10.0.0.5"));

    EXPECT_EQ(
        gameArguments({QStringLiteral(" Ann "), true, QStringLiteral("ignored")}),
        (QStringList{QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    EXPECT_EQ(
        gameArguments({QStringLiteral("Bob"), false, QStringLiteral(" 10.0.0.5 ")}),
        (QStringList{QStringLiteral("Bob"), QStringLiteral("10.0.0.5"), QStringLiteral("false")}));
}

TEST(LobbySettings, KeptInTheLaunchersOwnSectionBesideTheGames)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelklobby.ini"));
    EXPECT_EQ(readLobbySettings(path).name, QString()); // no file: the defaults
    EXPECT_TRUE(readLobbySettings(path).hosting);

    const QByteArray game = "; the lobby's notes\r\n[Quillon]\r\nSnapcount=7\r\nName=game\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(game);
    }
    LobbySettings settings;
    settings.name = QStringLiteral("Zo\u00eb");
    settings.hosting = false;
    settings.addresses = {QStringLiteral("table.example"), QStringLiteral("10.0.0.5")};
    EXPECT_EQ(writeLobbySettings(path, settings), std::nullopt);

    const LobbySettings read = readLobbySettings(path);
    EXPECT_EQ(read.name, settings.name);
    EXPECT_FALSE(read.hosting);
    EXPECT_EQ(read.addresses, settings.addresses);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(game)); // the game's section untouched
}

TEST(LobbySettings, RecentAddressesPutTheLatestFirstOnceAndKeepFive)
{
    QStringList recent;
    for (const char* address : {"a", "b", "c", "d", "e", "f"})
        recent = rememberAddress(recent, QString::fromLatin1(address));
    EXPECT_EQ(recent, QStringLiteral("f,e,d,c,b").split(QLatin1Char(',')));
    recent = rememberAddress(recent, QStringLiteral("C"));
    EXPECT_EQ(recent, QStringLiteral("C,f,e,d,b").split(QLatin1Char(',')));
}

TEST(LobbySettings, AFileThatCannotBeWrittenIsReportedWithItsPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/zelklobby.ini"));
    LobbySettings settings;
    settings.name = QStringLiteral("Ann");
    const auto failure = writeLobbySettings(path, settings);
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->contains(path)) << failure->toStdString();
    EXPECT_FALSE(QFile::exists(path));
}
