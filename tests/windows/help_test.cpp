// The help window: its pages, captions and links.
#include "windowstest.h"

using namespace windowstest;

namespace {

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

TEST(HelpWindow, TheSnapShotsPageNamesTheControlsAndFoldersAsTheyAre)
{
    RecordingShell shell;
    windows::HelpWindow help(shell);
    const QString page = child<QTextBrowser>(help, "memo9")->toPlainText().simplified();
    // The player window's button and menu, the viewer's command, and both homes of the files.
    for (const char* named :
         {"Take A Snap Shot", "View > Snap Shots", "Delete", "snapshots", "~/Pictures/Quillon/"})
        EXPECT_TRUE(page.contains(QLatin1String(named))) << named;
    EXPECT_FALSE(page.contains(QLatin1String("camera")));
    EXPECT_FALSE(page.contains(QLatin1String("View Snapshots")));
}

} // namespace
