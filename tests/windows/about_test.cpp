// The about window: name, maker, version and the maker's address.
#include "windowstest.h"

using namespace windowstest;

namespace {

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

} // namespace
