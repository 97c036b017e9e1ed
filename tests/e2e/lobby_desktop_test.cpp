// Friends meet through the launcher on a desktop: Ann's launcher hosts a table and holds her
// game's link on the lobby's port; Bob's launcher, in another folder and home, finds that
// port taken, says so and joins all the same. They play a turn with a bot at the table, Ann
// leaves, both games end and both launchers are ready again. Bad input on the way gets its
// message (the launcher writes every message it shows to its standard error as well).
#include "e2e/e2efixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

using e2e::Display;
using e2e::GameFolder;
using e2e::GameProcess;
using protocol::MessageId;

constexpr quint16 kLobbyPort = 9001;
constexpr char kReadyTitle[] = "Quillon Lobby";
constexpr char kRunningTitle[] = "Quillon Lobby - Table Running";

// Places in the game's window, relative to its top left (below a 19-pixel menu bar).
constexpr QPoint kStartGameButton{492, 53};
constexpr QPoint kStartDialogButton{132, 139};
constexpr QPoint kBoard{2, 88};
constexpr QPoint kGuessEntry{104, 491};

QByteArray readProc(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The process the launcher `parent` started (its child running the game), if any.
std::optional<qint64> gameOf(qint64 parent)
{
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        // "pid (comm) state ppid ...": the name may hold blanks, so read after its ")".
        const QByteArray stat = readProc(QStringLiteral("/proc/%1/stat").arg(pid));
        const QList<QByteArray> after = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (stat.contains("(quillon)") && after.size() > 1 && after.at(1).toLongLong() == parent)
            return pid;
    }
    return std::nullopt;
}

QStringList commandLine(qint64 pid)
{
    QStringList words;
    for (const QByteArray& word : readProc(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0'))
        words << QString::fromUtf8(word);
    if (!words.isEmpty() && words.last().isEmpty())
        words.removeLast();
    return words;
}

// Whether process `pid` holds an established TCP connection to 127.0.0.1:port.
bool connectedTo(qint64 pid, quint16 port)
{
    const QByteArray remote =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    QSet<QByteArray> inodes;
    for (const QByteArray& line : readProc(QStringLiteral("/proc/net/tcp")).split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 9 && fields.at(2) == remote && fields.at(3) == "01")
            inodes.insert("socket:[" + fields.at(9) + "]");
    }
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd :
         fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        if (inodes.contains(
                QFile::symLinkTarget(fds.filePath(fd)).section(QLatin1Char('/'), -1).toUtf8()))
            return true;
    }
    return false;
}

class LauncherDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Two games side by side, their launchers above them.
        ASSERT_TRUE(display.start({1700, 900})) << qPrintable(display.log());
        ASSERT_TRUE(e2e::portIsFree(e2e::kGamePort));
        ASSERT_TRUE(e2e::portIsFree(kLobbyPort)) << "another lobby listens on 9001";
    }

    // A folder holding the game and the launcher, the game placed at (left, 300).
    void prepare(GameFolder& folder, int left)
    {
        ASSERT_TRUE(folder.isReady());
        ASSERT_TRUE(folder.addProgram(QStringLiteral(QUILLON_LOBBY_BINARY)).has_value());
        ASSERT_TRUE(
            folder.writeSettings({QStringLiteral("Left=%1").arg(left), QStringLiteral("Top=300"),
                                  QStringLiteral("Width=797"), QStringLiteral("Height=541"),
                                  QStringLiteral("PlaySounds=false")}));
    }

    void xdo(const QStringList& arguments) { display.tool(QStringLiteral("xdotool"), arguments); }
    void focus(quint64 window)
    {
        xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    }
    void keys(const QStringList& names)
    {
        xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} +
            names);
    }
    void type(const QString& text)
    {
        xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
    }
    QString title(quint64 window)
    {
        return QString::fromUtf8(
                   display
                       .tool(QStringLiteral("xdotool"),
                             {QStringLiteral("getwindowname"), QString::number(window)})
                       .out)
            .trimmed();
    }
    bool waitForTitle(quint64 window, const char* expected)
    {
        return support::spinUntil([&] { return title(window) == QLatin1String(expected); },
                                  e2e::kStartMs);
    }
    // The launcher's game once it runs (a child of the launcher's process).
    std::optional<qint64> waitForGame(const GameProcess& launcher)
    {
        std::optional<qint64> game;
        support::spinUntil([&] { return (game = gameOf(launcher.pid())).has_value(); },
                           e2e::kStartMs);
        return game;
    }

    Display display;
};

TEST_F(LauncherDesktop, FriendsMeetThroughTwoLaunchersPlayATurnAndBothAreReadyAgain)
{
    GameFolder annHome(e2e::gameBinary());
    GameFolder bobHome(e2e::gameBinary());
    prepare(annHome, 0);
    prepare(bobHome, 850);

    GameProcess annLobby;
    ASSERT_TRUE(annLobby.startProgram(annHome, QStringLiteral("quillon-lobby"), {}, &display));
    const std::optional<quint64> annLauncher =
        display.waitForWindow(annLobby.pid(), QLatin1String(kReadyTitle));
    ASSERT_TRUE(annLauncher.has_value()) << qPrintable(annLobby.log());
    EXPECT_EQ(title(*annLauncher), QLatin1String(kReadyTitle));

    // Bad input: no name, a name holding the message terminator, an unknown host.
    focus(*annLauncher);
    keys({QStringLiteral("Return")});
    EXPECT_TRUE(annLobby.waitForLog(QStringLiteral("Please enter your name.")));
    type(QStringLiteral("Zo\u00ff"));
    keys({QStringLiteral("Return")});
    EXPECT_TRUE(annLobby.waitForLog(QStringLiteral("Your name cannot hold \"\u00ff\"")))
        << qPrintable(annLobby.log());
    keys({QStringLiteral("ctrl+a"), QStringLiteral("BackSpace")});
    type(QStringLiteral("Ann"));
    keys({QStringLiteral("Tab"), QStringLiteral("Down"), QStringLiteral("Tab")}); // join, address
    type(QStringLiteral("nosuchhost.invalid"));
    keys({QStringLiteral("Return")});
    EXPECT_TRUE(annLobby.waitForLog(QStringLiteral("Cannot find the host \"nosuchhost.invalid\"")))
        << qPrintable(annLobby.log());
    EXPECT_FALSE(gameOf(annLobby.pid()).has_value());

    // Ann hosts: back to "Host a table" and her name, Enter.
    keys({QStringLiteral("shift+Tab"), QStringLiteral("Up"), QStringLiteral("shift+Tab"),
          QStringLiteral("Return")});
    const std::optional<qint64> annGame = waitForGame(annLobby);
    ASSERT_TRUE(annGame.has_value()) << qPrintable(annLobby.log());
    EXPECT_EQ(commandLine(*annGame),
              (QStringList{annHome.executable(), QStringLiteral("Ann"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("true")}));
    EXPECT_TRUE(waitForTitle(*annLauncher, kRunningTitle)) << qPrintable(title(*annLauncher));
    EXPECT_TRUE(
        support::spinUntil([&] { return connectedTo(*annGame, kLobbyPort); }, e2e::kStartMs));
    ASSERT_TRUE(annLobby.waitForLog(QStringLiteral("slot 1: logged in as \"Ann\"")))
        << qPrintable(annLobby.log());
    const std::optional<quint64> annWindow =
        display.waitForWindow(*annGame); // the game's own window

    support::TestBot cy;
    ASSERT_TRUE(cy.connectTo(e2e::kGamePort));
    ASSERT_TRUE(cy.login("Cy"));
    EXPECT_EQ(cy.slot(), 2);

    // Bob's launcher finds the lobby's port taken, says so, and joins all the same.
    GameProcess bobLobby;
    ASSERT_TRUE(bobLobby.startProgram(bobHome, QStringLiteral("quillon-lobby"), {}, &display));
    const std::optional<quint64> bobLauncher =
        display.waitForWindow(bobLobby.pid(), QLatin1String(kReadyTitle));
    ASSERT_TRUE(bobLauncher.has_value()) << qPrintable(bobLobby.log());
    EXPECT_TRUE(bobLobby.waitForLog(QStringLiteral("Another lobby is already using port 9001")))
        << qPrintable(bobLobby.log());
    xdo({QStringLiteral("windowmove"), QString::number(*bobLauncher), QStringLiteral("850"),
         QStringLiteral("0")});
    focus(*bobLauncher);
    type(QStringLiteral("Bob"));
    keys({QStringLiteral("Tab"), QStringLiteral("Down"), QStringLiteral("Tab")});
    type(QStringLiteral("127.0.0.1"));
    keys({QStringLiteral("Return")});
    const std::optional<qint64> bobGame = waitForGame(bobLobby);
    ASSERT_TRUE(bobGame.has_value()) << qPrintable(bobLobby.log());
    EXPECT_EQ(commandLine(*bobGame),
              (QStringList{bobHome.executable(), QStringLiteral("Bob"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("false")}));
    EXPECT_TRUE(waitForTitle(*bobLauncher, kRunningTitle)) << qPrintable(title(*bobLauncher));
    ASSERT_TRUE(annLobby.waitForLog(QStringLiteral("slot 3: logged in as \"Bob\"")))
        << qPrintable(annLobby.log());
    const std::optional<quint64> bobWindow = display.waitForWindow(*bobGame);
    ASSERT_TRUE(annWindow && bobWindow);

    // Ann, at her own table, starts a game from the dialog.
    ASSERT_TRUE(display.click(*annWindow, kStartGameButton.x(), kStartGameButton.y()));
    const QList<quint64> dialogs =
        display.findWindows(*annGame, QStringLiteral("Quillon - Start Game"));
    ASSERT_EQ(dialogs.size(), 1);
    ASSERT_TRUE(display.click(dialogs.front(), kStartDialogButton.x(), kStartDialogButton.y()));
    ASSERT_TRUE(cy.waitFor(MessageId::StartGame, e2e::kToolMs).has_value());

    // One turn: the drawer's phrase is in the host's log (Ann's game logs to her launcher's
    // standard error); a window drawing drags the mouse over its board; the other window
    // types the phrase.
    const auto pick = cy.waitFor(MessageId::PickCategory, e2e::kPhaseMs);
    ASSERT_TRUE(pick.has_value());
    const int drawer = pick->integer(0);
    const QRegularExpression draws(QStringLiteral("slot %1 draws \"([^\"]*)\"").arg(drawer));
    QString phrase;
    ASSERT_TRUE(support::spinUntil(
        [&] { return !(phrase = draws.match(annLobby.log()).captured(1)).isEmpty(); },
        e2e::kPhaseMs));
    if (drawer != 2) {
        const quint64 board = drawer == 1 ? *annWindow : *bobWindow;
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(board),
             QString::number(kBoard.x() + 100), QString::number(kBoard.y() + 100)});
        xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
        xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(board),
             QString::number(kBoard.x() + 300), QString::number(kBoard.y() + 200)});
        xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
        EXPECT_TRUE(cy.waitFor(MessageId::Draw, e2e::kToolMs).has_value());
    }
    const quint64 guesser = drawer == 3 ? *annWindow : *bobWindow;
    display.click(guesser, kGuessEntry.x(), kGuessEntry.y());
    type(phrase);
    keys({QStringLiteral("Return")});
    ASSERT_TRUE(cy.waitFor(MessageId::CorrectAnswer, e2e::kToolMs).has_value())
        << qPrintable(phrase);

    // Ann leaves (File, Exit): her table closes, Bob's game with it, and both launchers are
    // ready again.
    focus(*annWindow);
    keys({QStringLiteral("alt+f"), QStringLiteral("Up"), QStringLiteral("Return")});
    EXPECT_TRUE(support::spinUntil([&] { return !gameOf(annLobby.pid()); }, e2e::kStartMs));
    EXPECT_TRUE(support::spinUntil([&] { return !gameOf(bobLobby.pid()); }, e2e::kStartMs));
    EXPECT_TRUE(waitForTitle(*annLauncher, kReadyTitle)) << qPrintable(title(*annLauncher));
    EXPECT_TRUE(waitForTitle(*bobLauncher, kReadyTitle)) << qPrintable(title(*bobLauncher));
    EXPECT_TRUE(annHome.settingsText().contains("[QuillonLobby]"));
    EXPECT_TRUE(bobHome.settingsText().contains("Address1=127.0.0.1"));
    display.screenshot(QStringLiteral("lobby-ready-again"));
}

} // namespace
