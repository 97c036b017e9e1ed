// Invite links on a desktop: in a private home the launcher's menu entry, as the package
// installs it, is made the handler of quillon:// links; xdg-open of a link starts the
// launcher with the table filled in and the remembered name, and Enter joins a test host at
// that address. The game handed a link as its only argument passes it to the launcher
// beside it and ends.
#include "e2e/desktop.h"
#include "e2e/fakehost.h"
#include "protocol/version.h"
#include "support/eventloop.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <gtest/gtest.h>

namespace {

using e2e::Display;
using e2e::GameFolder;
using e2e::GameProcess;

constexpr char kLauncherTitle[] = "Quillon Lobby";
constexpr char kLauncherEntry[] = "com.zelk42.QuillonLobby.desktop";

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QStringList commandLine(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    QStringList words;
    if (!file.open(QIODevice::ReadOnly))
        return words;
    for (const QByteArray& word : file.readAll().split('\0'))
        words << QString::fromUtf8(word);
    if (!words.isEmpty() && words.last().isEmpty())
        words.removeLast();
    return words;
}

class InviteDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start()) << qPrintable(display.log());
        ASSERT_TRUE(folder.isReady());
        ASSERT_TRUE(folder.addProgram(QStringLiteral(QUILLON_LOBBY_BINARY)).has_value());
        // The player's name, remembered by the launcher from an earlier evening of hosting.
        ASSERT_TRUE(
            writeFile(folder.settingsPath(), "[QuillonLobby]\r\nName=Eve\r\nMode=host\r\n"));
    }
    void TearDown() override
    {
        // The launcher was started by xdg-open or by the game, not by this test's processes
        // directly: it is ended by its own process id.
        if (launcherPid > 0)
            ::kill(static_cast<pid_t>(launcherPid), SIGTERM);
    }

    // The launcher's window, once it is on screen, and the process behind it.
    std::optional<quint64> waitForLauncher()
    {
        QList<quint64> found;
        support::spinUntil(
            [&] {
                return !(found = display.findWindows(0, QLatin1String(kLauncherTitle))).isEmpty();
            },
            e2e::kStartMs);
        if (found.isEmpty())
            return std::nullopt;
        launcherPid = display
                          .tool(QStringLiteral("xdotool"),
                                {QStringLiteral("getwindowpid"), QString::number(found.front())})
                          .out.trimmed()
                          .toLongLong();
        return found.front();
    }

    Display display;
    GameFolder folder{QStringLiteral(QUILLON_BINARY)};
    qint64 launcherPid = 0;
};

TEST_F(InviteDesktop, XdgOpenOfALinkStartsTheLauncherFilledInAndEnterJoinsTheTable)
{
    e2e::FakeHost host;
    ASSERT_TRUE(host.listen());
    const QString link = QStringLiteral("quillon://127.0.0.1:%1").arg(host.port());

    // The menu entry, installed for this user only, pointing at this folder's launcher.
    QFile source(QStringLiteral(QUILLON_LOBBY_DESKTOP_ENTRY));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray entry =
        source.readAll().replace("@QUILLON_BINDIR@", QFile::encodeName(folder.path()));
    const QString home = folder.homeDir();
    const QString config = QDir(home).filePath(QStringLiteral(".config"));
    const QString data = QDir(home).filePath(QStringLiteral(".local/share"));
    const QString applications = QDir(data).filePath(QStringLiteral("applications"));
    ASSERT_TRUE(QDir().mkpath(applications) && QDir().mkpath(config));
    ASSERT_TRUE(writeFile(QDir(applications).filePath(QLatin1String(kLauncherEntry)), entry));

    QProcessEnvironment environment = display.environment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.runtimeDir());
    // No desktop session: xdg-open goes by the handler registered in the private home. Once
    // that handler has ended, xdg-open would try web browsers: "true" stands in for them.
    for (const char* session :
         {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        environment.remove(QString::fromLatin1(session));
    environment.insert(QStringLiteral("BROWSER"), QStringLiteral("true"));
    const e2e::ToolResult registered =
        e2e::runTool(QStringLiteral("xdg-mime"),
                     {QStringLiteral("default"), QLatin1String(kLauncherEntry),
                      QStringLiteral("x-scheme-handler/quillon")},
                     environment);
    ASSERT_TRUE(registered.ok()) << registered.err.constData();
    const e2e::ToolResult handler =
        e2e::runTool(QStringLiteral("xdg-mime"),
                     {QStringLiteral("query"), QStringLiteral("default"),
                      QStringLiteral("x-scheme-handler/quillon")},
                     environment);
    ASSERT_EQ(handler.out.trimmed(), QByteArray(kLauncherEntry)) << handler.err.constData();

    QProcess opener;
    opener.setProcessEnvironment(environment);
    opener.setProcessChannelMode(QProcess::MergedChannels);
    opener.start(QStringLiteral("xdg-open"), {link});
    ASSERT_TRUE(opener.waitForStarted(e2e::kStartMs));
    QByteArray said;
    QObject::connect(&opener, &QProcess::readyRead, [&] { said += opener.readAll(); });

    const std::optional<quint64> launcher = waitForLauncher();
    ASSERT_TRUE(launcher.has_value()) << said.constData();
    ASSERT_GT(launcherPid, 0);
    EXPECT_EQ(commandLine(launcherPid),
              (QStringList{QDir(folder.path()).filePath(QStringLiteral("quillon-lobby")), link}));

    // One key: the address is filled in and the name remembered.
    display.tool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"),
                                             QStringLiteral("--sync"), QString::number(*launcher)});
    display.tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(host.accept(e2e::kStartMs)) << said.constData();
    host.send(e2e::term("CMD_sendlogininfo+2"));
    const QByteArray login = QByteArray("CMD_logininfo+2+") + protocol::kVersion + "+Eve";
    EXPECT_TRUE(support::spinUntil([&] { return host.countOf(login) == 1; }, e2e::kStartMs))
        << said.constData();
    said += opener.readAll();
    EXPECT_TRUE(said.contains(
        QStringLiteral("\"Eve\" \"127.0.0.1:%1\" \"false\"").arg(host.port()).toUtf8()))
        << said.constData();
    EXPECT_FALSE(said.contains("cannot be used")) << said.constData();

    // The launcher ends (the game, whose table goes with the host, is the launcher's own);
    // xdg-open, which waited for it, ends then too.
    ::kill(static_cast<pid_t>(launcherPid), SIGTERM);
    EXPECT_TRUE(opener.waitForFinished(e2e::kStartMs));
    launcherPid = 0;
}

TEST_F(InviteDesktop, TheGameHandsALinkToTheLauncherBesideItAndEnds)
{
    const QString link = QStringLiteral("quillon://table.example:7800/");
    GameProcess game;
    ASSERT_TRUE(game.start(folder, {link}, &display));
    const std::optional<int> ended = game.waitForExit();
    ASSERT_TRUE(ended.has_value()) << qPrintable(game.log());
    EXPECT_EQ(*ended, 0) << qPrintable(game.log());
    ASSERT_TRUE(waitForLauncher().has_value());
    EXPECT_EQ(commandLine(launcherPid),
              (QStringList{QDir(folder.path()).filePath(QStringLiteral("quillon-lobby")), link}));
}

} // namespace
