#include "ui/flatbutton.h"
#include "ui/updown.h"
#include "windows/about.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/shell.h"
#include "windows/sidewindows.h"
#include "windows/turl.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using windows::Shell;
using windows::TURL;

namespace {

// Records what the windows ask the desktop to open and answers with `result`.
class RecordingShell : public Shell {
public:
    struct Call {
        QString item;
        QString parameters;
        QString folder;
    };
    std::vector<Call> calls;
    int result = Shell::kOpened;

    int open(const QString& item, const QString& parameters, const QString& folder) override
    {
        calls.push_back({item, parameters, folder});
        return result;
    }
};

template <typename T> T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void clickArrow(const QWidget& window, const char* upDown, const char* arrow)
{
    auto* arrows = child<ui::UpDown>(window, upDown);
    QTest::mouseClick(arrows->findChild<QToolButton*>(QString::fromLatin1(arrow)), Qt::LeftButton);
}

QString text(const QWidget& window, const char* edit)
{
    return child<QLineEdit>(window, edit)->text();
}

// ---------------------------------------------------------------------------------------
// Game start dialog

struct StartRequest {
    bool team = false;
    QString playToScore;
    QString timePerTurn;
};

TEST(GameStartDialog, IsAStayOnTopToolWindowThatDoesNotBlockThePlayerWindow)
{
    windows::GameStartDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quillon - Start Game"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.windowType(), Qt::Tool);
    dialog.show();
    EXPECT_FALSE(dialog.isModal());
    EXPECT_FALSE(child<QCheckBox>(dialog, "team")->isChecked());
}

TEST(GameStartDialog, ScoreStepsUpFrom20InFivesAndStopsAt100)
{
    windows::GameStartDialog dialog;
    dialog.show();
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("20"));
    clickArrow(dialog, "UpDown1", "up");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("25"));
    for (int i = 0; i < 15; ++i)
        clickArrow(dialog, "UpDown1", "up");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("100"));
    clickArrow(dialog, "UpDown1", "up");
    clickArrow(dialog, "UpDown1", "up");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("100"));
    clickArrow(dialog, "UpDown1", "down");
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("95"));
}

TEST(GameStartDialog, TimeStepsDownFrom120InFivesAndStopsAt60)
{
    windows::GameStartDialog dialog;
    dialog.show();
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("120"));
    clickArrow(dialog, "UpDown2", "up");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("120"));
    clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("115"));
    for (int i = 0; i < 11; ++i)
        clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("60"));
    clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("60"));
    EXPECT_EQ(dialog.timePerTurnText(), QStringLiteral("60"));
}

TEST(GameStartDialog, ValuesCannotBeTypedIn)
{
    windows::GameStartDialog dialog;
    dialog.show();
    for (const char* name : {"playtoscore", "timeperturn"}) {
        auto* edit = child<QLineEdit>(dialog, name);
        const QString before = edit->text();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, QStringLiteral("7"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        EXPECT_EQ(edit->text(), before) << name;
    }
}

TEST(GameStartDialog, StartingUntouchedHandsOverNoTeamsScore20AndTime120ThenHides)
{
    windows::GameStartDialog dialog;
    std::optional<StartRequest> request;
    dialog.setStartHandler([&](bool team, const QString& score, const QString& time) {
        request = StartRequest{team, score, time};
    });
    dialog.show();
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);

    ASSERT_TRUE(request.has_value());
    EXPECT_FALSE(request->team);
    EXPECT_EQ(request->playToScore, QStringLiteral("20"));
    EXPECT_EQ(request->timePerTurn, QStringLiteral("120"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(GameStartDialog, ChosenValuesAreHandedOverAndKeptForTheNextOpening)
{
    windows::GameStartDialog dialog;
    std::vector<StartRequest> requests;
    dialog.setStartHandler([&](bool team, const QString& score, const QString& time) {
        requests.push_back({team, score, time});
    });
    dialog.show();
    clickArrow(dialog, "UpDown1", "up");
    clickArrow(dialog, "UpDown1", "up");
    clickArrow(dialog, "UpDown2", "down");
    QTest::mouseClick(child<QCheckBox>(dialog, "team"), Qt::LeftButton);
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);

    dialog.show();
    EXPECT_EQ(text(dialog, "playtoscore"), QStringLiteral("30"));
    EXPECT_EQ(text(dialog, "timeperturn"), QStringLiteral("115"));
    EXPECT_TRUE(child<QCheckBox>(dialog, "team")->isChecked());
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);

    ASSERT_EQ(requests.size(), 2u);
    for (const StartRequest& request : requests) {
        EXPECT_TRUE(request.team);
        EXPECT_EQ(request.playToScore, QStringLiteral("30"));
        EXPECT_EQ(request.timePerTurn, QStringLiteral("115"));
    }
}

// ---------------------------------------------------------------------------------------
// Help window

QString frontPage(const windows::HelpWindow& help)
{
    return child<QStackedWidget>(help, "pages")->currentWidget()->objectName();
}

QString caption(const windows::HelpWindow& help)
{
    return child<QLabel>(help, "label_caption")->text();
}

TEST(HelpWindow, OpensOnTheOverview)
{
    RecordingShell shell;
    windows::HelpWindow help(shell);
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Quillon - Help File"));
    EXPECT_EQ(frontPage(help), QStringLiteral("memo1"));
    EXPECT_EQ(caption(help), QStringLiteral("Overview"));
    EXPECT_EQ(help.currentPage(), 1);
}

TEST(HelpWindow, EachPageButtonBringsItsPageToTheFrontUnderItsCaptionAndItStays)
{
    RecordingShell shell;
    windows::HelpWindow help(shell);
    help.show();
    const struct {
        const char* button;
        const char* caption;
        const char* page;
    } pages[] = {
        {"SelButton3", "Game Play", "memo3"},  {"SelButton1", "Overview", "memo1"},
        {"SelButton2", "Connecting", "memo2"}, {"SelButton4", "Scoring", "memo4"},
        {"SelButton5", "License", "memo5"},    {"SelButton6", "Documentation", "memo6"},
        {"SelButton9", "Snap Shots", "memo9"},
    };
    for (const auto& page : pages) {
        auto* button = child<ui::FlatButton>(help, page.button);
        EXPECT_EQ(button->text(), QString::fromLatin1(page.caption));
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(frontPage(help), QString::fromLatin1(page.page)) << page.button;
        EXPECT_EQ(caption(help), QString::fromLatin1(page.caption)) << page.button;
        auto* shown = child<QTextBrowser>(help, page.page);
        EXPECT_TRUE(shown->isReadOnly());
        EXPECT_TRUE(shown->isVisible());
    }

    // "Done" hides the window; it opens again on the page last chosen.
    QTest::mouseClick(child<ui::FlatButton>(help, "SelButton4"), Qt::LeftButton);
    QTest::mouseClick(child<ui::FlatButton>(help, "SelButton8"), Qt::LeftButton);
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(frontPage(help), QStringLiteral("memo4"));
    EXPECT_EQ(caption(help), QStringLiteral("Scoring"));
}

TEST(HelpWindow, AboutAsksForTheAboutWindowAndLeavesThePage)
{
    RecordingShell shell;
    windows::HelpWindow help(shell);
    help.show();
    QSignalSpy about(&help, &windows::HelpWindow::aboutRequested);
    QTest::mouseClick(child<ui::FlatButton>(help, "SelButton7"), Qt::LeftButton);
    EXPECT_EQ(about.count(), 1);
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(frontPage(help), QStringLiteral("memo1"));
    EXPECT_EQ(caption(help), QStringLiteral("Overview"));
    // Neither "About" (7) nor "Done" (10) has a page.
    EXPECT_FALSE(help.showPage(7));
    EXPECT_FALSE(help.showPage(10));
    EXPECT_EQ(help.currentPage(), 1);
}

TEST(HelpWindow, LinksTurnToOtherPagesOrOpenInTheBrowser)
{
    RecordingShell shell;
    windows::HelpWindow help(shell);
    auto* overview = child<QTextBrowser>(help, "memo1");

    Q_EMIT overview->anchorClicked(QUrl(QStringLiteral("memo4.html")));
    EXPECT_EQ(frontPage(help), QStringLiteral("memo4"));
    EXPECT_EQ(caption(help), QStringLiteral("Scoring"));

    Q_EMIT overview->anchorClicked(QUrl(QStringLiteral("memo7.html")));
    EXPECT_EQ(frontPage(help), QStringLiteral("memo4"));
    EXPECT_TRUE(shell.calls.empty());

    Q_EMIT overview->anchorClicked(QUrl(QStringLiteral("http://www.zelk42.com/")));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, QStringLiteral("http://www.zelk42.com/"));

    Q_EMIT overview->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST(HelpWindow, PagesShowTheirHelpFiles)
{
    RecordingShell shell;
    windows::HelpWindow help(shell);
    for (int number : {1, 2, 3, 4, 5, 6, 9}) {
        const QString name = QStringLiteral("memo%1").arg(number);
        const bool stored =
            QFile::exists(QStringLiteral(":/help/") + name + QStringLiteral(".html"));
        const QString shown = child<QTextBrowser>(help, name.toLatin1().constData())->toPlainText();
        // A missing page file leaves its page empty instead of failing.
        EXPECT_EQ(shown.trimmed().isEmpty(), !stored) << name.toStdString();
    }
}

// ---------------------------------------------------------------------------------------
// TURL

TEST(TURL, WithoutAnAddressOpensNothingAndFails)
{
    RecordingShell shell;
    TURL url(shell);
    EXPECT_FALSE(url.open());
    url.setUrlType(TURL::utnone);
    EXPECT_FALSE(url.open());
    EXPECT_TRUE(shell.calls.empty());
}

TEST(TURL, NoneOpensTheAddressExactlyAsStored)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrlType(TURL::utnone);
    url.setUrl(QStringLiteral("C:\\Games\\readme.txt"));
    EXPECT_TRUE(url.open());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, QStringLiteral("C:\\Games\\readme.txt"));
    EXPECT_TRUE(shell.calls[0].parameters.isEmpty());
    EXPECT_TRUE(shell.calls[0].folder.isEmpty());
}

TEST(TURL, HttpIsTheDefaultAndPutsHttpInFront)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrl(QStringLiteral("www.zelk42.com"));
    EXPECT_EQ(url.urlType(), TURL::utHttp);
    EXPECT_TRUE(url.open());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, QStringLiteral("http://www.zelk42.com"));
}

TEST(TURL, EachKindPutsItsSchemeInFront)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrl(QStringLiteral("x"));
    const std::pair<TURL::URLType, const char*> kinds[] = {
        {TURL::utFile, "file://x"}, {TURL::utFtp, "ftp://x"},     {TURL::utGopher, "gopher://x"},
        {TURL::utHttp, "http://x"}, {TURL::utHttps, "https://x"}, {TURL::utMailto, "mailto:x"},
        {TURL::utNews, "news:x"},   {TURL::utTelnet, "telnet:x"}, {TURL::utWais, "wais:x"},
        {TURL::utnone, "x"},
    };
    for (const auto& [kind, address] : kinds) {
        url.setUrlType(kind);
        url.open();
        EXPECT_EQ(shell.calls.back().item, QString::fromLatin1(address));
    }
}

TEST(TURL, SucceedsOnlyWhenTheShellAnswersAbove32)
{
    RecordingShell shell;
    TURL url(shell);
    url.setUrl(QStringLiteral("www.zelk42.com"));
    for (const auto& [result, opened] : {std::pair{33, true},
                                         {42, true},
                                         {32, false},
                                         {Shell::kFileNotFound, false},
                                         {0, false}}) {
        shell.result = result;
        EXPECT_EQ(url.open(), opened) << result;
    }
}

// ---------------------------------------------------------------------------------------
// About window

TEST(AboutWindow, ShowsNameMakerAndVersion)
{
    RecordingShell shell;
    windows::AboutWindow about(shell);
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Quillon - About"));
    EXPECT_EQ(child<QLabel>(about, "version")->text(), QStringLiteral("2.2.7"));
    EXPECT_EQ(windows::AboutWindow::versionText(), QStringLiteral("2.2.7"));
    EXPECT_EQ(child<QLabel>(about, "Label3")->text(), QStringLiteral("Version 2.2.7.2"));
    EXPECT_EQ(child<QLabel>(about, "Label1")->text(), QStringLiteral("Quillon"));
    EXPECT_EQ(child<QLabel>(about, "Label2")->text(), QStringLiteral("Zelk42 Software"));
    EXPECT_TRUE(child<QLabel>(about, "Label3")->isVisible());
    EXPECT_EQ(about.URL1().urlType(), TURL::utHttp);
}

TEST(AboutWindow, TheUnderlinedAddressOpensTheMakersSiteAndDoneHides)
{
    RecordingShell shell;
    windows::AboutWindow about(shell);
    about.show();
    auto* address = child<QLabel>(about, "Label9");
    EXPECT_TRUE(address->font().underline());
    EXPECT_EQ(address->text(), QStringLiteral("www.zelk42.com"));

    QTest::mouseClick(address, Qt::LeftButton);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].item, QStringLiteral("http://www.zelk42.com"));

    // A failure to open leaves the window as it was.
    shell.result = Shell::kNoAssociation;
    QTest::mouseClick(address, Qt::LeftButton);
    EXPECT_EQ(shell.calls.size(), 2u);
    EXPECT_TRUE(about.isVisible());
    QTest::mouseClick(address, Qt::RightButton);
    EXPECT_EQ(shell.calls.size(), 2u);

    QTest::mouseClick(child<ui::FlatButton>(about, "SelButton8"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(shell.calls.size(), 2u);
}

// ---------------------------------------------------------------------------------------
// The set of side windows

struct PlayerWindowWithSideWindows {
    RecordingShell shell;
    QWidget mainWindow;
    windows::SideWindowSet sides{&mainWindow, shell};

    PlayerWindowWithSideWindows()
    {
        mainWindow.setGeometry(100, 80, 800, 600);
        mainWindow.show();
    }
};

void expectCentredOn(const QWidget& window, const QWidget& over)
{
    const QPoint offset = window.frameGeometry().center() - over.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << window.objectName().toStdString();
}

TEST(SideWindowSet, WindowsStartHiddenAndOpenCentredOnThePlayerWindow)
{
    PlayerWindowWithSideWindows player;
    EXPECT_FALSE(player.sides.help()->isVisible());
    EXPECT_FALSE(player.sides.about()->isVisible());
    EXPECT_FALSE(player.sides.gameStart()->isVisible());

    player.sides.showGameStart();
    EXPECT_TRUE(player.sides.gameStart()->isVisible());
    expectCentredOn(*player.sides.gameStart(), player.mainWindow);
    player.sides.showHelp();
    EXPECT_TRUE(player.sides.help()->isVisible());
    expectCentredOn(*player.sides.help(), player.mainWindow);
    player.sides.showAbout();
    EXPECT_TRUE(player.sides.about()->isVisible());
    expectCentredOn(*player.sides.about(), player.mainWindow);
}

TEST(SideWindowSet, TheHelpWindowsAboutButtonOpensTheAboutWindow)
{
    PlayerWindowWithSideWindows player;
    player.sides.showHelp();
    QTest::mouseClick(child<ui::FlatButton>(*player.sides.help(), "SelButton7"), Qt::LeftButton);
    EXPECT_TRUE(player.sides.about()->isVisible());
    EXPECT_TRUE(player.sides.help()->isVisible());
}

TEST(SideWindowSet, TimePerTurnAndStartFollowTheDialog)
{
    PlayerWindowWithSideWindows player;
    std::optional<StartRequest> request;
    player.sides.setStartGameHandler([&](bool team, const QString& score, const QString& time) {
        request = StartRequest{team, score, time};
    });
    EXPECT_EQ(player.sides.timePerTurnText(), QStringLiteral("120"));

    player.sides.showGameStart();
    const QWidget& dialog = *player.sides.gameStart();
    clickArrow(dialog, "UpDown2", "down");
    clickArrow(dialog, "UpDown2", "down");
    EXPECT_EQ(player.sides.timePerTurnText(), QStringLiteral("110"));
    QTest::mouseClick(child<ui::FlatButton>(dialog, "FlatButton1"), Qt::LeftButton);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->timePerTurn, QStringLiteral("110"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(player.sides.timePerTurnText(), QStringLiteral("110"));
}

TEST(SideWindowSet, ClosingThePlayerWindowFirstTakesTheSideWindowsWithIt)
{
    RecordingShell shell;
    auto* mainWindow = new QWidget;
    windows::SideWindowSet sides(mainWindow, shell);
    QSignalSpy gone(sides.help(), &QObject::destroyed);
    delete mainWindow;
    EXPECT_EQ(gone.count(), 1);
    EXPECT_EQ(sides.help(), nullptr);
    EXPECT_EQ(sides.gameStart(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Desktop shell

TEST(DesktopShell, StartsAProgramWithItsParametersInTheFolder)
{
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "uses a shell script";
#else
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile script(folder.filePath(QStringLiteral("record.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s|' \"$@\" > out.tmp\npwd >> out.tmp\nmv out.tmp out.txt\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);

    windows::DesktopShell shell;
    const int result = shell.open(QStringLiteral("record.sh"),
                                  QStringLiteral("/silent \"two words\""), folder.path());
    EXPECT_TRUE(Shell::succeeded(result)) << result;

    QFile out(folder.filePath(QStringLiteral("out.txt")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return out.exists(); }, 5000));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QString recorded = QString::fromUtf8(out.readAll()).trimmed();
    EXPECT_EQ(recorded, QStringLiteral("/silent|two words|") + QDir(folder.path()).canonicalPath());
#endif
}

TEST(DesktopShell, AMissingFileIsReportedAsNotFound)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    windows::DesktopShell shell;
    EXPECT_EQ(shell.open(QStringLiteral("zlbsetup.exe"), QStringLiteral("/SP-"), folder.path()),
              Shell::kFileNotFound);
    EXPECT_EQ(shell.open(folder.filePath(QStringLiteral("nothing.txt")), QString(), QString()),
              Shell::kFileNotFound);
    EXPECT_FALSE(Shell::succeeded(shell.open(QString(), QString(), QString())));
}

} // namespace
