// The launcher's window with a stand-in game (a script that notes its command line and runs
// until told to quit) and a real listener: what it starts, when it shows a table running and
// when it is ready again, and what it says about bad input.
#include "lobby/gamelauncher.h"
#include "lobby/launcherwindow.h"
#include "lobby/lobbylistener.h"
#include "lobby/lobbysettings.h"
#include "lobby/nearbytableswidget.h"
#include "lobby/tablechoice.h"
#include "support/eventloop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

using namespace lobby;

namespace {

constexpr char kScript[] =
    "#!/bin/sh\n"
    "here=$(dirname \"$0\")\n"
    "echo $$ > \"$here/pid\"\n"
    "printf '%s\\n' \"$@\" > \"$here/args\"\n"
    "while [ -d \"$here\" ] && [ ! -e \"$here/quit\" ]; do sleep 0.02; done\n";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile script(program());
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(kScript);
        script.close();
        ASSERT_TRUE(script.setPermissions(script.permissions() | QFile::ExeOwner));
        ASSERT_TRUE(listener.listen(0));
    }
    void TearDown() override
    {
        window.reset();
        quitGame();
    }

    QString program() const { return dir.filePath(QStringLiteral("quillon")); }
    QString settingsPath() const { return dir.filePath(QStringLiteral("zelklobby.ini")); }
    QByteArray arguments() const { return readAll(dir.filePath(QStringLiteral("args"))); }
    void quitGame()
    {
        QFile quit(dir.filePath(QStringLiteral("quit")));
        quit.open(QIODevice::WriteOnly);
    }

    void open(LobbyListener& listening, const QString& listenError = QString())
    {
        LauncherWindow::Parts parts;
        parts.settingsPath = settingsPath();
        parts.game = &game;
        parts.listener = &listening;
        parts.listenError = listenError;
        parts.lookUp = [this](const QString& host, QObject*, std::function<void(QString)> done) {
            lookedUp.append(host);
            done(hosts.value(host, QStringLiteral("Host not found")));
        };
        parts.localAddresses = [this] {
            return localAddresses;
        };
        window = std::make_unique<LauncherWindow>(parts);
        window->show();
    }
    void type(const QString& name, bool hosting, const QString& address = QString())
    {
        window->findChild<QLineEdit*>(QStringLiteral("edit_name"))->setText(name);
        window
            ->findChild<QRadioButton*>(hosting ? QStringLiteral("radio_host")
                                               : QStringLiteral("radio_join"))
            ->setChecked(true);
        window->findChild<QComboBox*>(QStringLiteral("combo_address"))->setEditText(address);
    }
    QPushButton* startButton() const
    {
        return window->findChild<QPushButton*>(QStringLiteral("button_start"));
    }
    bool gameStarted()
    {
        return support::spinUntil([this] { return !arguments().isEmpty(); });
    }

    QTemporaryDir dir;
    LobbyListener listener;
    GameLauncher game{program()};
    QMap<QString, QString> hosts; // host name -> lookup error ("" resolves)
    QStringList lookedUp;
    QStringList localAddresses{QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.7")};
    std::unique_ptr<LauncherWindow> window;
};

} // namespace

TEST_F(Launcher, HostingStartsTheGameWithTheLobbysCommandLineAndFollowsItsLink)
{
    open(listener);
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(kTitle));
    type(QStringLiteral(" Ann "), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted()) << window->message().toStdString();
    EXPECT_EQ(arguments(), QByteArray("Ann\n127.0.0.1\ntrue\n"));
    EXPECT_EQ(window->table(), LauncherWindow::Table::Starting);
    EXPECT_FALSE(startButton()->isEnabled());

    // The game's link arrives: the table runs; nothing starts a second game meanwhile.
    QTcpSocket link;
    link.connectToHost(QHostAddress::LocalHost, listener.port());
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Running; }));
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(kRunningTitle));
    QFile::remove(dir.filePath(QStringLiteral("args")));
    window->start();
    support::spinFor(200);
    EXPECT_TRUE(arguments().isEmpty());

    // The game ends: its link closes and its process is gone.
    quitGame();
    link.disconnectFromHost();
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Ready; }));
    EXPECT_TRUE(startButton()->isEnabled());
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(kTitle));
    EXPECT_EQ(readLobbySettings(settingsPath()).name, QStringLiteral("Ann"));
    EXPECT_TRUE(readLobbySettings(settingsPath()).hosting);
}

TEST_F(Launcher, JoiningLooksTheHostUpFirstAndRemembersTheAddress)
{
    open(listener);
    type(QStringLiteral("Bob"), false, QStringLiteral("table.example:7773"));
    QTest::mouseClick(startButton(), Qt::LeftButton);
    EXPECT_EQ(lookedUp, QStringList{QStringLiteral("table.example")});
    EXPECT_EQ(window->message(),
              QStringLiteral("Cannot find the host \"table.example\": Host not found"));
    support::spinFor(100);
    EXPECT_TRUE(arguments().isEmpty());
    EXPECT_TRUE(startButton()->isEnabled());

    hosts.insert(QStringLiteral("10.0.0.5"), QString());
    type(QStringLiteral("Bob"), false, QStringLiteral("10.0.0.5"));
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted()) << window->message().toStdString();
    EXPECT_EQ(arguments(), QByteArray("Bob\n10.0.0.5\nfalse\n"));
    EXPECT_TRUE(window->message().isEmpty());
    const LobbySettings saved = readLobbySettings(settingsPath());
    EXPECT_FALSE(saved.hosting);
    EXPECT_EQ(saved.addresses, QStringList{QStringLiteral("10.0.0.5")});

    // Opened again, the launcher offers what it remembered.
    quitGame();
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Ready; }));
    open(listener);
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("edit_name"))->text(),
              QStringLiteral("Bob"));
    EXPECT_TRUE(window->findChild<QRadioButton*>(QStringLiteral("radio_join"))->isChecked());
    EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("combo_address"))->currentText(),
              QStringLiteral("10.0.0.5"));
}

TEST_F(Launcher, BadInputGetsItsMessageAndStartsNothing)
{
    open(listener);
    const auto attempt = [&](const QString& name, bool hosting, const QString& address) {
        type(name, hosting, address);
        QTest::mouseClick(startButton(), Qt::LeftButton);
        return window->message();
    };
    EXPECT_EQ(attempt(QString(), true, QString()), QString::fromLatin1(kEmptyName));
    EXPECT_TRUE(attempt(QStringLiteral("Zo\u00ffa"), true, QString()).contains(QChar(0xff)));
    EXPECT_EQ(attempt(QStringLiteral("Bob"), false, QStringLiteral("  ")),
              QString::fromLatin1(kEmptyAddress));
    EXPECT_TRUE(lookedUp.isEmpty());
    support::spinFor(100);
    EXPECT_TRUE(arguments().isEmpty());
    EXPECT_EQ(window->table(), LauncherWindow::Table::Ready);

    QFile::remove(program());
    const QString missing = attempt(QStringLiteral("Bob"), true, QString());
    EXPECT_TRUE(missing.contains(program())) << missing.toStdString();
    EXPECT_EQ(window->table(), LauncherWindow::Table::Ready);
}

TEST_F(Launcher, APortTakenByAnotherLobbyIsSaidAndTheGameStillStartsAndIsFollowed)
{
    LobbyListener second;
    QString error;
    ASSERT_FALSE(second.listen(listener.port(), &error));
    open(second, error);
    EXPECT_TRUE(window->message().contains(QStringLiteral("9001")))
        << window->message().toStdString();

    type(QStringLiteral("Ann"), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted());
    // No link can come here: the running game is the table.
    EXPECT_EQ(window->table(), LauncherWindow::Table::Running);
    EXPECT_FALSE(startButton()->isEnabled());
    quitGame();
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Ready; }));
}

TEST_F(Launcher, ClosingTheLauncherLeavesTheTableRunning)
{
    open(listener);
    type(QStringLiteral("Ann"), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted());
    const pid_t pid = readAll(dir.filePath(QStringLiteral("pid"))).trimmed().toInt();
    ASSERT_GT(pid, 0);
    window->close();
    window.reset();
    {
        GameLauncher other(program());
        other.release(); // nothing to let go
    }
    support::spinFor(200);
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    ASSERT_FALSE(stat.isEmpty());
    EXPECT_FALSE(stat.contains(") Z ")) << stat.toStdString();
    quitGame();
    EXPECT_TRUE(support::spinUntil([&] {
        const QByteArray now = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
        return now.isEmpty() || now.contains(") Z ");
    }));
}

TEST_F(Launcher, ATypedAddressIsJoinedAsTypedNotCompletedIntoARememberedOne)
{
    LobbySettings remembered;
    remembered.name = QStringLiteral("Cy");
    remembered.hosting = false;
    remembered.addresses = {QStringLiteral("127.0.0.1:7000"), QStringLiteral("10.0.0.9")};
    ASSERT_FALSE(writeLobbySettings(settingsPath(), remembered));
    hosts.insert(QStringLiteral("127.0.0.1"), QString());
    open(listener);

    auto* combo = window->findChild<QComboBox*>(QStringLiteral("combo_address"));
    QLineEdit* edit = combo->lineEdit();
    ASSERT_EQ(combo->currentText(), QStringLiteral("127.0.0.1:7000"));
    // As the player types: in the active window, into the focused box.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("127.0.0.1"));
    // The remembered one is offered beside, not put in place.
    QCompleter* offer = combo->completer();
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(offer->popup()->isVisible());
    EXPECT_EQ(offer->currentCompletion(), QStringLiteral("127.0.0.1:7000"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(gameStarted()) << window->message().toStdString();
    EXPECT_EQ(arguments(), QByteArray("Cy\n127.0.0.1\nfalse\n"));
    EXPECT_EQ(readLobbySettings(settingsPath()).addresses,
              QStringList({QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1:7000"),
                           QStringLiteral("10.0.0.9")}));
}

TEST_F(Launcher, TheNoticeAboutTheNameGoesOnceANameIsTyped)
{
    open(listener);
    auto* name = window->findChild<QLineEdit*>(QStringLiteral("edit_name"));
    type(QString(), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    EXPECT_EQ(window->message(), QString::fromLatin1(kEmptyName));

    QTest::keyClicks(name, QStringLiteral(" "));
    EXPECT_EQ(window->message(), QString::fromLatin1(kEmptyName)); // blanks are no name
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClicks(name, QStringLiteral("-"));
    EXPECT_EQ(window->message(), QString::fromLatin1(kNameStartsWithDash));
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClicks(name, QStringLiteral("Di"));
    EXPECT_TRUE(window->message().isEmpty()) << window->message().toStdString();

    // A message about something else stays while the name is edited.
    type(QStringLiteral("Di"), false, QStringLiteral("  "));
    QTest::mouseClick(startButton(), Qt::LeftButton);
    EXPECT_EQ(window->message(), QString::fromLatin1(kEmptyAddress));
    QTest::keyClicks(name, QStringLiteral("a"));
    EXPECT_EQ(window->message(), QString::fromLatin1(kEmptyAddress));
}

TEST_F(Launcher, AnotherCopyOfTheGameOnThisComputerDoesNotLockTheLauncher)
{
    open(listener);
    // A copy the player started by hand opens its link to the lobby's port.
    QTcpSocket otherCopy;
    otherCopy.connectToHost(QHostAddress::LocalHost, listener.port());
    ASSERT_TRUE(support::spinUntil([&] { return listener.openLinks() == 1; }));
    EXPECT_EQ(window->table(), LauncherWindow::Table::Ready);
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(kTitle));
    EXPECT_TRUE(startButton()->isEnabled());

    type(QStringLiteral("Ann"), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted()) << window->message().toStdString();
    EXPECT_NE(window->table(), LauncherWindow::Table::Ready);
    EXPECT_FALSE(startButton()->isEnabled());

    // Ours ends; the other copy's link is still open.
    quitGame();
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Ready; }));
    EXPECT_EQ(listener.openLinks(), 1);
    EXPECT_TRUE(startButton()->isEnabled());
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(kTitle));
}

TEST(LobbyListener, HoldsEachLinkUntilItClosesAndAFairNumberOfThem)
{
    LobbyListener listener;
    ASSERT_TRUE(listener.listen(0));
    std::vector<std::unique_ptr<QTcpSocket>> links;
    for (int i = 0; i < LobbyListener::kMaxLinks + 2; ++i) {
        links.push_back(std::make_unique<QTcpSocket>());
        links.back()->connectToHost(QHostAddress::LocalHost, listener.port());
    }
    ASSERT_TRUE(
        support::spinUntil([&] { return listener.openLinks() == LobbyListener::kMaxLinks; }));
    // The two beyond the bound are closed by the listener.
    ASSERT_TRUE(support::spinUntil([&] {
        int closed = 0;
        for (const auto& link : links)
            closed += link->state() == QAbstractSocket::UnconnectedState ? 1 : 0;
        return closed == 2;
    }));
    // A chatty link is read and dropped; its end is noticed.
    links.front()->write(QByteArray(64 * 1024, 'x'));
    links.front()->disconnectFromHost();
    links.at(1)->abort();
    EXPECT_TRUE(
        support::spinUntil([&] { return listener.openLinks() == LobbyListener::kMaxLinks - 2; }));
}

// The settings file shared with the game: a FIFO there is reported when the launcher would
// save, and nothing blocks or is written over. Opened, it would block this test until its
// timeout.
TEST_F(Launcher, ASettingsFileThatIsAFifoIsReportedRatherThanReadOrWritten)
{
    const QByteArray fifo = QFile::encodeName(settingsPath());
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    open(listener); // reading the settings returns at once, with the defaults
    type(QStringLiteral("Ann"), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted()) << "the game starts all the same";
    EXPECT_EQ(window->message(), QStringLiteral("Your name and addresses were not saved in %1: "
                                                "%1 is not a regular file, so it is not read")
                                     .arg(settingsPath()));
    struct stat status {};
    ASSERT_EQ(::stat(fifo.constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

// Opening a friend's link: the launcher starts with the table filled in and the name it
// remembers, and Enter joins.
TEST_F(Launcher, AnInviteLinkFillsInTheTableOneEnterFromJoining)
{
    LobbySettings remembered;
    remembered.name = QStringLiteral("Cy");
    remembered.hosting = true;
    remembered.addresses = {QStringLiteral("10.0.0.9")};
    ASSERT_FALSE(writeLobbySettings(settingsPath(), remembered));
    hosts.insert(QStringLiteral("table.example"), QString());
    open(listener);
    window->takeArguments({QStringLiteral("QUILLON://table.example:7800/")});

    EXPECT_TRUE(window->message().isEmpty()) << window->message().toStdString();
    EXPECT_TRUE(window->findChild<QRadioButton*>(QStringLiteral("radio_join"))->isChecked());
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("combo_address"));
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_EQ(combo->currentText(), QStringLiteral("table.example:7800"));
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("edit_name"))->text(),
              QStringLiteral("Cy"));
    EXPECT_FALSE(game.isRunning()); // nothing starts before the player says so

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The address box has the keyboard (the combo box stands for its line edit).
    ASSERT_EQ(QApplication::focusWidget(), combo);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(gameStarted()) << window->message().toStdString();
    EXPECT_EQ(arguments(), QByteArray("Cy\ntable.example:7800\nfalse\n"));
    EXPECT_EQ(readLobbySettings(settingsPath()).addresses,
              QStringList({QStringLiteral("table.example:7800"), QStringLiteral("10.0.0.9")}));
}

TEST_F(Launcher, ABadInviteLinkIsRefusedInTheMessageLineAndNothingIsFilledInOrStarted)
{
    LobbySettings remembered;
    remembered.name = QStringLiteral("Cy");
    remembered.hosting = true;
    remembered.addresses = {QStringLiteral("10.0.0.9")};
    ASSERT_FALSE(writeLobbySettings(settingsPath(), remembered));
    const auto refusal = [&](const QStringList& arguments) {
        open(listener);
        window->takeArguments(arguments);
        EXPECT_FALSE(game.isRunning());
        EXPECT_EQ(window->table(), LauncherWindow::Table::Ready);
        EXPECT_TRUE(window->findChild<QRadioButton*>(QStringLiteral("radio_host"))->isChecked());
        EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("combo_address"))->currentText(),
                  QStringLiteral("10.0.0.9"));
        return window->message();
    };
    EXPECT_EQ(refusal({QStringLiteral("quillon://-platform")}),
              QStringLiteral("This invite link cannot be used: the host cannot begin with \"-\"."));
    EXPECT_TRUE(
        refusal({QStringLiteral("quillon://ann@table.example")}).contains(QLatin1Char('@')));
    EXPECT_TRUE(refusal({QStringLiteral("quillon://h:70000")}).contains(QStringLiteral("port")));
    EXPECT_TRUE(refusal({QStringLiteral("quillon://h"), QStringLiteral("--extra")})
                    .contains(QStringLiteral("one invite link")));
    EXPECT_TRUE(refusal({}).isEmpty()); // no link: the launcher as the player left it
    EXPECT_TRUE(lookedUp.isEmpty());
}

TEST_F(Launcher, WhileHostingItShowsTheAddressesToGiveAndCopiesTheInviteLink)
{
    open(listener);
    auto* panel = window->findChild<QWidget*>(QStringLiteral("panel_invite"));
    auto* addresses = window->findChild<QLabel*>(QStringLiteral("label_invite"));
    auto* note = window->findChild<QLabel*>(QStringLiteral("label_router_note"));
    auto* copy = window->findChild<QPushButton*>(QStringLiteral("button_copy_invite"));
    EXPECT_FALSE(panel->isVisible());
    QList<std::pair<bool, quint16>> routerAsked; // what the router's port mapper is told
    QObject::connect(window.get(), &LauncherWindow::hostingChanged,
                     [&](bool hosting, quint16 port) {
                         routerAsked.append({hosting, port});
                     });

    type(QStringLiteral("Ann"), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted());
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(routerAsked, (QList<std::pair<bool, quint16>>{{true, 7772}}));
    EXPECT_TRUE(addresses->text().contains(QStringLiteral("192.168.1.20, 10.0.0.7")))
        << addresses->text().toStdString();
    EXPECT_FALSE(note->isVisible());
    QApplication::clipboard()->clear();
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("quillon://192.168.1.20"));

    // The router's word: its internet address goes first in the link.
    window->setExternalAddress(QStringLiteral("203.0.113.9"));
    window->setRouterNote(QStringLiteral("Friends outside your network need port 7772 "
                                         "forwarded to this computer by hand."));
    EXPECT_TRUE(addresses->text().contains(QStringLiteral("203.0.113.9 (internet)")));
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("Friends outside")));
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("quillon://203.0.113.9"));
    // Something else from the router is not an address to hand out.
    for (const char* odd : {"<b>1.2.3.4</b>", "fe80::1", "127.0.0.1", "1.2.3.4:80", ""}) {
        window->setExternalAddress(QString::fromLatin1(odd));
        EXPECT_EQ(window->inviteLink(), QStringLiteral("quillon://192.168.1.20")) << odd;
    }
    EXPECT_FALSE(addresses->text().contains(QStringLiteral("(internet)")));
    // The note is shown as one plain line of bounded length.
    window->setRouterNote(QStringLiteral("Forward\nport\t<b>7772</b>"));
    EXPECT_EQ(note->text(), QStringLiteral("Forward port <b>7772</b>"));
    EXPECT_EQ(note->textFormat(), Qt::PlainText);
    window->setRouterNote(QString(5000, QLatin1Char('x')));
    EXPECT_EQ(note->text().size(), 300);

    // The game ends: nothing to hand out any more.
    quitGame();
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Ready; }));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(window->inviteLink().isEmpty());
    EXPECT_EQ(routerAsked, (QList<std::pair<bool, quint16>>{{true, 7772}, {false, 7772}}));
}

TEST_F(Launcher, ATableChosenFromTheLocalNetworkIsJoinedAtOnce)
{
    open(listener);
    type(QStringLiteral("Bob"), true);
    auto* nearby = window->findChild<NearbyTablesWidget*>(QStringLiteral("nearby_tables"));
    ASSERT_NE(nearby, nullptr);
    hosts.insert(QStringLiteral("10.0.0.5"), QString());
    Q_EMIT nearby->joinRequested(QStringLiteral("10.0.0.5:7775"));
    ASSERT_TRUE(gameStarted()) << window->message().toStdString();
    EXPECT_EQ(arguments(), QByteArray("Bob\n10.0.0.5:7775\nfalse\n"));

    // While that game runs, another choice starts nothing.
    QFile::remove(dir.filePath(QStringLiteral("args")));
    Q_EMIT nearby->joinRequested(QStringLiteral("10.0.0.6:7772"));
    support::spinFor(200);
    EXPECT_TRUE(arguments().isEmpty());
}

TEST_F(Launcher, WithoutANetworkAddressThereIsNoInviteToCopyAndAJoinedTableOffersNone)
{
    localAddresses.clear();
    open(listener);
    type(QStringLiteral("Ann"), true);
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted());
    auto* copy = window->findChild<QPushButton*>(QStringLiteral("button_copy_invite"));
    EXPECT_TRUE(copy->isVisible());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("label_invite"))
                    ->text()
                    .contains(QStringLiteral("no network address")));
    window->setExternalAddress(QStringLiteral("198.51.100.4"));
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_EQ(window->inviteLink(), QStringLiteral("quillon://198.51.100.4"));
    quitGame();
    ASSERT_TRUE(
        support::spinUntil([&] { return window->table() == LauncherWindow::Table::Ready; }));

    localAddresses = {QStringLiteral("192.168.1.20")};
    QFile::remove(dir.filePath(QStringLiteral("args")));
    QFile::remove(dir.filePath(QStringLiteral("quit")));
    hosts.insert(QStringLiteral("10.0.0.5"), QString());
    type(QStringLiteral("Ann"), false, QStringLiteral("10.0.0.5"));
    QTest::mouseClick(startButton(), Qt::LeftButton);
    ASSERT_TRUE(gameStarted());
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("panel_invite"))->isVisible());
    EXPECT_TRUE(window->inviteLink().isEmpty());
}
