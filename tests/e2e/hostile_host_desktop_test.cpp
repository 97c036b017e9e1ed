// The real window against a fake host on a private desktop. The host sends what no honest
// host would: markup in every text, strokes of absurd width, malformed lines by the dozen,
// and more lines than the window can handle. After each, the window must still answer
// within a second, both to its host and to its user, with its memory bounded.
#include "e2e/e2efixture.h"
#include "e2e/fakehost.h"
#include "protocol/message.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <memory>

namespace {

using e2e::Display;
using e2e::FakeHost;
using e2e::GameFolder;
using e2e::GameProcess;
using e2e::term;

constexpr int kAnswerMs = 1000;
// What the window may grow by over a whole session of hostile input. Its honest working set
// is tens of megabytes; the faults this guards against grew it by gigabytes.
constexpr qint64 kGrowthBoundKb = 150 * 1024;
// Where the menu bar's "File" is, relative to the window.
constexpr int kFileMenuX = 18;
constexpr int kFileMenuY = 9;

class HostileHostDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.start()) << qPrintable(display.log());
        ASSERT_TRUE(home.isReady());
        ASSERT_TRUE(host.listen());
        const QString address = QStringLiteral("127.0.0.1:%1").arg(host.port());
        ASSERT_TRUE(
            game.start(home, {QStringLiteral("Tess"), address, QStringLiteral("false")}, &display));
        ASSERT_TRUE(host.accept(e2e::kStartMs));
        host.send(term("CMD_sendlogininfo+2"));
        ASSERT_TRUE(support::spinUntil([&] { return host.countOf(kLogin) == 1; }, e2e::kStartMs));
        host.send(term("CMD_newplayerinfo+2+Tess") + term("CMD_existingplayers+1+Ann"));
        const std::optional<quint64> found = display.waitForWindow(game.pid());
        ASSERT_TRUE(found.has_value());
        window = *found;
        ASSERT_TRUE(answersItsHost());
        ASSERT_TRUE(answersItsUser());
        baselineKb = support::memoryKbOf(game.pid(), "VmRSS");
        ASSERT_GT(baselineKb, 0);
    }

    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "window's log:\n%s\n", qPrintable(game.log()));
    }

    // The host asks for the login again; the window answers as soon as it gets there.
    bool answersItsHost(int withinMs = kAnswerMs)
    {
        const qsizetype before = host.countOf(kLogin);
        host.send(term("CMD_sendlogininfo+2"));
        QElapsedTimer clock;
        clock.start();
        const bool answered =
            support::spinUntil([&] { return host.countOf(kLogin) > before; }, withinMs);
        lastAnswerMs = clock.elapsed();
        return answered;
    }

    // A click on "File" opens its menu, a window of its own, which Escape closes again.
    bool answersItsUser()
    {
        const auto menuOpen = [&] {
            return display.visibleWindows(game.pid()).size();
        };
        const qsizetype closed = menuOpen();
        if (!display.click(window, kFileMenuX, kFileMenuY))
            return false;
        const bool opened = support::spinUntil([&] { return menuOpen() > closed; }, kAnswerMs);
        display.tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
        support::spinUntil([&] { return menuOpen() == closed; }, kAnswerMs);
        return opened;
    }

    qint64 growthKb() const { return support::memoryKbOf(game.pid(), "VmHWM") - baselineKb; }

    static constexpr char kLogin[] = "CMD_logininfo+2+2.2.7+Tess";

    Display display;
    GameFolder home{e2e::gameBinary()};
    GameProcess game;
    FakeHost host;
    quint64 window = 0;
    qint64 baselineKb = 0;
    qint64 lastAnswerMs = 0;
};

} // namespace

TEST_F(HostileHostDesktop, MarkupInAnyTextIsShownAsTextNotLoaded)
{
    const QByteArray img = "<img src='file:///dev/zero'>";
    const QList<QByteArray> lines{"CMD_newplayerinfo+3+" + img,
                                  "CMD_existingplayers+4+<h1>Di</h1>",
                                  "CMD_startgame+1+false+" + img + "+120",
                                  "CMD_pickcatagory+3",
                                  "CMD_nextplayer+3+0+" + img,
                                  "CMD_givedraweranswer+" + img,
                                  "CMD_havewrongversion+" + img,
                                  "CMD_winner+" + img};
    for (const QByteArray& line : lines) {
        host.send(term(line));
        // A window that fails here is loading /dev/zero: stop before it eats the machine.
        ASSERT_TRUE(answersItsHost()) << line.constData() << ": " << lastAnswerMs << " ms";
        EXPECT_TRUE(answersItsUser()) << line.constData();
        EXPECT_LT(growthKb(), kGrowthBoundKb) << line.constData();
    }
    display.screenshot(QStringLiteral("hostile-markup"), window);
}

TEST_F(HostileHostDesktop, AbsurdStrokesAreDrawnBoundedAndQuickly)
{
    QByteArray corners = "CMD_draw+3+clBlack+8000000+";
    for (int i = 0; corners.size() < 4000; ++i)
        corners += i % 2 == 0 ? "+-2000000000,-2000000000" : "+2000000000,2000000000";
    corners += '+';
    for (const QByteArray& line : {QByteArray("CMD_moveit+3+clBlack+8000000+266+184"), corners,
                                   QByteArray("CMD_moveit+3+clRed+100+-9999999+9999999"),
                                   corners.replace("8000000", "100000")}) {
        host.send(term(line));
        ASSERT_TRUE(answersItsHost()) << line.left(40).constData() << ": " << lastAnswerMs << " ms";
        EXPECT_TRUE(answersItsUser()) << line.left(40).constData();
    }
    display.screenshot(QStringLiteral("hostile-strokes"), window);
}

TEST_F(HostileHostDesktop, MalformedLinesAreLoggedAndTheGameGoesOnWithoutABox)
{
    QByteArray burst;
    for (int i = 0; i < 30; ++i)
        burst += term("CMD_pickcatagory+<a href='file:///etc/shadow'>" + QByteArray::number(i));
    host.send(burst);
    EXPECT_TRUE(answersItsHost()) << lastAnswerMs << " ms";
    EXPECT_TRUE(answersItsUser());
    EXPECT_TRUE(
        game.waitForLog(QStringLiteral("'<a href='file:///etc/shadow'>29' is not a valid")));
    EXPECT_EQ(game.log().count(QStringLiteral("is not a valid integer value")), 30);
    EXPECT_TRUE(display.findWindows(game.pid(), QStringLiteral("Quillon")).isEmpty())
        << "a message box is open";
}

TEST_F(HostileHostDesktop, AFloodStallsTheHostInsteadOfGrowingTheWindow)
{
    // Lines as fast as the window takes them, for a few seconds: long lines of a name no
    // window handles, which it takes one a millisecond and drops. Unheld, the window would
    // read them as fast as loopback carries them.
    const QByteArray line = term("CMD_unknown+" + QByteArray(4000, '9'));
    QByteArray batch;
    for (int i = 0; i < 64; ++i)
        batch += line;
    qint64 offered = 0;
    QElapsedTimer clock;
    clock.start();
    support::spinUntil(
        [&] {
            while (host.socket().bytesToWrite() < 4 * 1024 * 1024) {
                host.send(batch);
                offered += batch.size();
            }
            return clock.elapsed() > 3000;
        },
        10000);
    const qint64 deliveredKb = (offered - host.socket().bytesToWrite()) / 1024;
    EXPECT_TRUE(answersItsUser()) << "while flooded";
    EXPECT_LT(deliveredKb, 64 * 1024) << "the host was not held back";
    EXPECT_LT(growthKb(), kGrowthBoundKb) << deliveredKb << " kB delivered";
    // Everything delivered is handled, in order, and the login request behind it too.
    EXPECT_TRUE(answersItsHost(60000)) << lastAnswerMs << " ms";
    EXPECT_LT(growthKb(), kGrowthBoundKb);
    RecordProperty("delivered_kb", static_cast<int>(deliveredKb));
    RecordProperty("growth_kb", static_cast<int>(growthKb()));
}
