// The window's place on a desktop whose window manager frames it: the settings file keeps
// the outer bounds, frame included, so a window opens where it was and at the same size,
// session after session.
#include "e2e/e2efixture.h"
#include "e2e/fakehost.h"

#include <gtest/gtest.h>

namespace {

using e2e::Display;
using e2e::FakeHost;
using e2e::GameFolder;
using e2e::GameProcess;
using e2e::term;

constexpr char kPlaced[] = "[Quillon]\nLeft=10\nTop=20\nWidth=797\nHeight=541\n";

class FramedDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start()) << qPrintable(display.log());
        ASSERT_TRUE(display.startWindowManager());
        ASSERT_TRUE(home.isReady());
        ASSERT_TRUE(host.listen());
    }

    // Starts the copy, joins it to the fake host and waits for its window; the login makes
    // the window read its settings.
    std::optional<quint64> startAndLogIn()
    {
        const QString address = QStringLiteral("127.0.0.1:%1").arg(host.port());
        if (!game.start(home, {QStringLiteral("Tess"), address, QStringLiteral("false")},
                        &display) ||
            !host.accept(e2e::kStartMs))
            return std::nullopt;
        host.send(term("CMD_sendlogininfo+2") + term("CMD_newplayerinfo+2+Tess"));
        return display.waitForWindow(game.pid());
    }

    Display display;
    GameFolder home{e2e::gameBinary()};
    GameProcess game;
    FakeHost host;
};

} // namespace

TEST_F(FramedDesktop, TheWindowOpensAtTheStoredOuterBoundsAndAnUnmovedOneStoresNothing)
{
    {
        QFile settings(home.settingsPath());
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(kPlaced);
    }
    const std::optional<quint64> window = startAndLogIn();
    ASSERT_TRUE(window.has_value());
    const QRect stored(10, 20, 797, 541);
    std::optional<QRect> outer;
    EXPECT_TRUE(support::spinUntil(
        [&] { return (outer = display.outerGeometry(*window)) == stored; }, e2e::kToolMs))
        << "frame at " << (outer ? outer->x() : -1) << "," << (outer ? outer->y() : -1) << " "
        << (outer ? outer->width() : -1) << "x" << (outer ? outer->height() : -1);

    // Closed where it opened, the window has nothing new to store.
    display.tool(QStringLiteral("xdotool"),
                 {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                  QString::number(*window), QStringLiteral("key"), QStringLiteral("alt+F4")});
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_EQ(home.settingsText(), QByteArray(kPlaced));
}
