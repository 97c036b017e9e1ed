// The lobby downloader against an HTTP server run by the test: a whole download starts the
// installer and closes the program where it can run, and says where it is elsewhere; an
// error status, a redirect it may not follow, a body past the bound, Stop and a refused
// connection end as "Download Aborted" with nothing started and no file left; and the two
// other ways on.
#include "protocol/lobby.h"
#include "support/httpserver.h"
#include "windows/downloader.h"

#include "ui_downloader.h"
#include "windowstest.h"

#include <QFileInfo>
#include <QTcpServer>
#include <QTimer>

using namespace windowstest;

namespace {

class Downloader : public ::testing::Test {
protected:
    Downloader()
    {
        window.setFolder(dir.path());
        window.setAddress(server.url());
        window.setInstalledLobby(dir.filePath(QStringLiteral("lobby/Zelk42Lobby")));
        window.setCloseProgram([this] { ++closed; });
        window.setInform([this](const QString& text) { shown.append(text); });
        window.present();
    }
    Ui::Tdownload& ui() { return window.ui(); }
    QString installer() const { return dir.filePath(QStringLiteral("zlbsetup.exe")); }
    QByteArray onDisk() const
    {
        QFile file(installer());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    bool installerStarted() const
    {
        return !shell.calls.empty() && shell.calls.front().item == installer();
    }
    // Everything in the download folder, temporary files included.
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir;
    support::HttpServer server;
    RecordingShell shell;
    windows::LobbyDownloader window{shell};
    int closed = 0;
    QStringList shown;
};

} // namespace

TEST_F(Downloader, TheWindowOffersThreeWaysOn)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Download The Zelk42 Lobby"));
    EXPECT_EQ(window.size(), QSize(724, 500));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_EQ(ui().Label1->text(), QStringLiteral("Download The Zelk42 Lobby Now to play this  "
                                                  "and other exciting games online with other "
                                                  "players!"));
    EXPECT_EQ(ui().getbutton->text(), QStringLiteral("Download And Install The Zelk42 Lobby Now"));
    EXPECT_TRUE(ui().abortbutton->isEnabled()); // Stop works even before any download
    EXPECT_TRUE(ui().infolabel2->isHidden());
    QTest::mouseClick(ui().Button1, Qt::LeftButton); // "Play Solo Game": only this window goes
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed, 0);
}

TEST_F(Downloader, AWholeDownloadIsInstalledAndTheProgramCloses)
{
    window.setInstallerRunsHere(true);
    server.body = QByteArray(200'000, 'z');
    server.head = "HTTP/1.0 200 OK\r\nContent-Length: 200000\r\n\r\n";
    QTest::mouseClick(ui().getbutton, Qt::LeftButton); // returns when the transfer has ended

    EXPECT_EQ(server.request,
              "GET /lobby/zlbsetup.exe HTTP/1.0\r\n"
              "Host: 127.0.0.1:" +
                  QByteArray::number(server.port()) +
                  "\r\n"
                  "User-Agent: Mozilla/3.0 (compatible)\r\n"
                  "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                  "\r\n");
    EXPECT_EQ(onDisk(), server.body);
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Received 200000 bytes"));
    EXPECT_EQ(ui().infolabel3->text(), QStringLiteral("Installing"));
    EXPECT_EQ(ui().infolabel2->text(), QStringLiteral("zlbsetup.exe"));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, installer());
    EXPECT_EQ(shell.calls[0].parameters, QStringLiteral("/SP- /silent /noicons"));
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(ui().getbutton->isEnabled());
    EXPECT_FALSE(ui().abortbutton->isEnabled());
}

TEST_F(Downloader, AnErrorStatusOrARefusedConnectionIsAbortedAndNothingRuns)
{
    server.head = "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\n";
    server.body = "not found";
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(ui().getbutton->isEnabled());
    EXPECT_FALSE(ui().abortbutton->isEnabled());

    QTcpServer closedPort; // a port nobody listens on any more
    ASSERT_TRUE(closedPort.listen(QHostAddress::LocalHost));
    const quint16 port = closedPort.serverPort();
    closedPort.close();
    window.setAddress(QStringLiteral("http://127.0.0.1:%1/lobby/zlbsetup.exe").arg(port));
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Download Aborted"));

    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(Downloader, StopDuringTheBodyLeavesNoFileAndInstallsNothing)
{
    server.body = QByteArray(100'000, 'p');
    server.head = "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n";
    server.stallAt = 30'000;
    // The user presses Stop once the first 30000 bytes are counted: the window is live
    // while the download waits.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (ui().infolabel->text() == QStringLiteral("30000 bytes")) {
            EXPECT_FALSE(ui().getbutton->isEnabled());
            EXPECT_EQ(ui().infolabel3->text(), QStringLiteral("Downloading: zlbsetup.exe"));
            QTest::mouseClick(ui().abortbutton, Qt::LeftButton);
            user.stop();
        }
    });
    user.start(1);
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);

    EXPECT_FALSE(user.isActive()) << "Stop was never pressed";
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Download Aborted"));
    EXPECT_EQ(ui().infolabel3->text(), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(files().isEmpty()) << files().join(u' ').toStdString(); // no part is left
    EXPECT_FALSE(installerStarted());
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(ui().getbutton->isEnabled());
}

TEST_F(Downloader, AnInstallerThatWillNotStartIsToldAndTheProgramStays)
{
    window.setInstallerRunsHere(true);
    server.body = "MZ";
    server.head = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n";
    shell.result = Shell::kNoAssociation;
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_TRUE(installerStarted());
    EXPECT_EQ(shown, QStringList{QStringLiteral("An Error has Occurred.")});
    EXPECT_EQ(closed, 0);
}

TEST_F(Downloader, AnInstallerFileThatCannotBeMadeIsToldAndNothingIsFetched)
{
    window.setFolder(dir.filePath(QStringLiteral("missing")));
    ui().abortbutton->setEnabled(false);
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Cannot create file")))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(QStringLiteral("zlbsetup.exe")));
    EXPECT_TRUE(server.request.isEmpty());
    EXPECT_TRUE(ui().getbutton->isEnabled()); // the buttons keep their state
    EXPECT_FALSE(ui().abortbutton->isEnabled());
}

TEST_F(Downloader, PlayWithOthersHandsOverOnlyToAnInstalledLobby)
{
    QTest::mouseClick(ui().Button2, Qt::LeftButton);
    EXPECT_EQ(shown, QStringList{QString::fromLatin1(protocol::lobby::kNoLobbyMessage)});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(closed, 0);

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lobby")));
    QFile lobby(dir.filePath(QStringLiteral("lobby/Zelk42Lobby")));
    ASSERT_TRUE(lobby.open(QIODevice::WriteOnly));
    lobby.close();
    QTest::mouseClick(ui().Button2, Qt::LeftButton);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, lobby.fileName());
    EXPECT_EQ(closed, 1);
}

TEST_F(Downloader, WithoutAnInstalledLobbyOurLauncherBesideTheGameTakesOver)
{
    const QString launcher = dir.filePath(QStringLiteral("quillon-lobby"));
    window.setLauncher(launcher);
    QTest::mouseClick(ui().Button2, Qt::LeftButton); // not there yet: the message, as before
    EXPECT_EQ(shown.size(), 1);
    EXPECT_TRUE(shell.calls.empty());

    QFile program(launcher);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    ASSERT_TRUE(program.setPermissions(program.permissions() | QFile::ExeOwner));
    shell.result = Shell::kNotStarted;
    QTest::mouseClick(ui().Button2, Qt::LeftButton); // it would not start: the game stays
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, launcher);
    EXPECT_EQ(shown.size(), 2);
    EXPECT_EQ(closed, 0);

    shell.result = Shell::kOpened;
    QTest::mouseClick(ui().Button2, Qt::LeftButton);
    EXPECT_EQ(shell.calls.back().item, launcher);
    EXPECT_EQ(closed, 1);

    // An installed lobby is still the first choice.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("lobby")));
    QFile lobby(dir.filePath(QStringLiteral("lobby/Zelk42Lobby")));
    ASSERT_TRUE(lobby.open(QIODevice::WriteOnly));
    lobby.close();
    QTest::mouseClick(ui().Button2, Qt::LeftButton);
    EXPECT_EQ(shell.calls.back().item, lobby.fileName());
}

TEST_F(Downloader, AServerCannotFillTheDiskAndAFailureLeavesNoFile)
{
    window.setInstallerRunsHere(true);
    window.setMaxSize(200'000);
    // The installer of an earlier, whole download is kept as it was.
    QFile earlier(installer());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("MZ earlier");
    earlier.close();

    server.head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n";
    server.body = QByteArray(5000, 'e');
    server.endless = true;
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(ui().infolabel3->text().contains(QStringLiteral("too large")))
        << ui().infolabel3->text().toStdString();
    EXPECT_EQ(files(), QStringList{QStringLiteral("zlbsetup.exe")});
    EXPECT_EQ(onDisk(), QByteArray("MZ earlier"));

    QFile::remove(installer());
    support::HttpServer announced;
    announced.head = "HTTP/1.0 200 OK\r\nContent-Length: 4000000000\r\n\r\n";
    announced.body = QByteArray(100'000, 'a');
    window.setAddress(announced.url());
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(ui().infolabel3->text().contains(QStringLiteral("4000000000")))
        << ui().infolabel3->text().toStdString();
    EXPECT_TRUE(files().isEmpty()) << files().join(u' ').toStdString();

    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(Downloader, ARedirectIsFollowedToTheInstaller)
{
    window.setInstallerRunsHere(true);
    server.head = "HTTP/1.0 302 Found\r\nLocation: /files/zlbsetup-2.exe\r\n\r\n";
    server.body = "<html>elsewhere</html>";
    server.routes.insert("/files/zlbsetup-2.exe",
                         {"HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\n", "MZ new"});
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_EQ(onDisk(), QByteArray("MZ new"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("zlbsetup.exe")});
    EXPECT_TRUE(installerStarted());
    EXPECT_EQ(closed, 1);
}

TEST_F(Downloader, AnAnswerThatIsNotTheInstallerIsNeverOpened)
{
    window.setInstallerRunsHere(true);
    const struct {
        const char* what;
        QByteArray head;
        QString shown;
    } cases[] = {
        {"to ftp", "HTTP/1.0 302 Found\r\nLocation: ftp://127.0.0.1/zlbsetup.exe\r\n\r\n",
         QStringLiteral("The server answered: HTTP/1.0 302 Found (")},
        {"in a loop", "HTTP/1.0 302 Found\r\nLocation: /lobby/zlbsetup.exe\r\n\r\n",
         QStringLiteral("The server answered: HTTP/1.0 302 Found (")},
        {"not followed", "HTTP/1.0 303 See Other\r\n\r\n",
         QStringLiteral("The server answered: HTTP/1.0 303 See Other")},
        {"not found", "HTTP/1.0 404 Not Found\r\n\r\n",
         QStringLiteral("The server answered: HTTP/1.0 404 Not Found")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        support::HttpServer page;
        page.head = c.head;
        page.body = "<html><body>A page, not an installer</body></html>";
        window.setAddress(page.url());
        QTest::mouseClick(ui().getbutton, Qt::LeftButton);
        EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Download Aborted"));
        EXPECT_TRUE(ui().infolabel3->text().startsWith(c.shown))
            << ui().infolabel3->text().toStdString();
        EXPECT_TRUE(files().isEmpty()) << files().join(u' ').toStdString();
    }
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(closed, 0);
}

TEST_F(Downloader, WhereTheInstallerCannotRunTheWindowSaysWhereItIs)
{
    // The window as the game makes it, on a platform where the Windows installer cannot run.
    if (windows::kInstallerRunsHere)
        GTEST_SKIP() << "the installer runs on this platform";
    server.body = "MZ";
    server.head = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n";
    QTest::mouseClick(ui().getbutton, Qt::LeftButton);
    EXPECT_EQ(onDisk(), QByteArray("MZ"));
    EXPECT_EQ(ui().infolabel->text(), QStringLiteral("Received 2 bytes"));
    EXPECT_EQ(ui().infolabel3->text(),
              QStringLiteral("Downloaded to %1; this installer runs on Windows only.")
                  .arg(QDir::toNativeSeparators(installer())));
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(ui().getbutton->isEnabled());
}
