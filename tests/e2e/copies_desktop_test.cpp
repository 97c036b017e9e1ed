// Copies of the game as a desktop session sees them: one copy per session (a second start
// brings the first forward and ends), a joining copy that loses its host closes and keeps
// its window's place, and a solo start sits down at a table of its own.
#include "e2e/e2efixture.h"

#include <QElapsedTimer>

#include <algorithm>

using e2e::DesktopTest;
using e2e::GameFolder;
using e2e::GameProcess;
using protocol::MessageId;

namespace {

// The values of the settings file's [Quillon] section.
QMap<QByteArray, QByteArray> quillonSection(const QByteArray& text)
{
    QMap<QByteArray, QByteArray> values;
    bool inside = false;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inside = line.compare("[Quillon]", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inside && eq > 0)
            values.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return values;
}

class DesktopCopies : public DesktopTest {};

TEST_F(DesktopCopies, ASecondStartBringsTheFirstForwardAndEndsWithoutAWindow)
{
    GameFolder home(e2e::gameBinary());
    GameFolder otherHome(e2e::gameBinary());
    ASSERT_TRUE(home.isReady() && otherHome.isReady());

    GameProcess first;
    ASSERT_TRUE(first.start(home, {}, &display));
    ASSERT_TRUE(first.waitForLog(QStringLiteral("slot 1: logged in as \"You\"")))
        << qPrintable(first.log());
    const std::optional<quint64> firstWindow = display.waitForWindow(first.pid());
    ASSERT_TRUE(firstWindow.has_value());

    // Another session's copy (its own runtime folder) joins the table; its window opens on
    // top of the first.
    GameProcess cover;
    ASSERT_TRUE(cover.start(
        otherHome, {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")},
        &display));
    ASSERT_TRUE(first.waitForLog(QStringLiteral("slot 2: logged in as \"Bob\"")));
    const std::optional<quint64> coverWindow = display.waitForWindow(cover.pid());
    ASSERT_TRUE(coverWindow.has_value());
    auto firstIsOnTop = [&] {
        const QList<quint64> stack = display.stackingOrder();
        return stack.indexOf(*firstWindow) > stack.indexOf(*coverWindow);
    };
    ASSERT_FALSE(firstIsOnTop()) << "the later window should open above the first";

    // The same session starts the game again.
    GameProcess again;
    QElapsedTimer took;
    took.start();
    ASSERT_TRUE(again.start(
        home, {QStringLiteral("Cy"), QStringLiteral("127.0.0.1"), QStringLiteral("false")},
        &display));
    EXPECT_EQ(again.waitForExit(), std::optional<int>(0)) << qPrintable(again.log());
    RecordProperty("second_start_ms", static_cast<int>(took.elapsed()));

    // The first copy comes to the front and plays on; the second never showed a window or
    // joined anybody.
    EXPECT_TRUE(support::spinUntil(firstIsOnTop, e2e::kToolMs))
        << "the first copy's window was not raised";
    QList<quint64> windows = display.findWindows();
    std::sort(windows.begin(), windows.end());
    QList<quint64> expected{*firstWindow, *coverWindow};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(windows, expected) << "another window with the game's caption appeared";
    EXPECT_TRUE(first.isRunning());
    EXPECT_FALSE(first.log().contains(QStringLiteral("\"Cy\""))) << qPrintable(first.log());
    support::TestBot eve;
    ASSERT_TRUE(eve.connectTo(e2e::kGamePort));
    ASSERT_TRUE(eve.login("Eve"));
    EXPECT_EQ(eve.slot(), 3);
    const auto host = next(eve, MessageId::ExistingPlayers, e2e::kToolMs);
    ASSERT_TRUE(host);
    EXPECT_EQ(host->text(1), "You");
    keepPicture(QStringLiteral("second-start-first-raised"), *firstWindow);
}

TEST_F(DesktopCopies, AJoiningCopyWhoseHostGoesAwayClosesAndStoresItsNewPlace)
{
    GameFolder annHome(e2e::gameBinary());
    GameFolder bobHome(e2e::gameBinary());
    ASSERT_TRUE(annHome.isReady() && bobHome.isReady());
    ASSERT_TRUE(bobHome.writeSettings({QStringLiteral("Top=50"), QStringLiteral("Left=40"),
                                       QStringLiteral("Width=800"), QStringLiteral("Height=560")}));

    GameProcess ann;
    ASSERT_TRUE(ann.start(
        annHome, {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")},
        &display));
    ASSERT_TRUE(ann.waitForLog(QStringLiteral("slot 1: logged in as \"Ann\"")))
        << qPrintable(ann.log());
    GameProcess bob;
    ASSERT_TRUE(bob.start(
        bobHome, {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")},
        &display));
    ASSERT_TRUE(ann.waitForLog(QStringLiteral("slot 2: logged in as \"Bob\"")));
    const std::optional<quint64> bobWindow = display.waitForWindow(bob.pid());
    ASSERT_TRUE(bobWindow.has_value());

    // Once logged in, Bob's window takes the place its settings remember.
    const QRect remembered(40, 50, 800, 560);
    ASSERT_TRUE(support::spinUntil([&] { return display.geometry(*bobWindow) == remembered; },
                                   e2e::kToolMs))
        << "Bob's window did not take its remembered place";

    // Bob's player moves and resizes the window, then Ann's copy dies.
    const QString id = QString::number(*bobWindow);
    ASSERT_TRUE(display
                    .tool(QStringLiteral("xdotool"),
                          {QStringLiteral("windowsize"), QStringLiteral("--sync"), id,
                           QStringLiteral("900"), QStringLiteral("620")})
                    .ok());
    ASSERT_TRUE(display
                    .tool(QStringLiteral("xdotool"),
                          {QStringLiteral("windowmove"), QStringLiteral("--sync"), id,
                           QStringLiteral("120"), QStringLiteral("90")})
                    .ok());
    const QRect moved(120, 90, 900, 620);
    ASSERT_EQ(display.geometry(*bobWindow), std::optional<QRect>(moved));
    keepPicture(QStringLiteral("host-gone-bob-before"), *bobWindow);
    ASSERT_TRUE(ann.signal(9));

    // Bob's copy ends by itself, normally, with its window gone and its place stored.
    EXPECT_EQ(bob.waitForExit(), std::optional<int>(0)) << qPrintable(bob.log());
    EXPECT_TRUE(display.findWindows().isEmpty());
    const QMap<QByteArray, QByteArray> stored = quillonSection(bobHome.settingsText());
    EXPECT_EQ(stored.value("Left"), "120") << bobHome.settingsText().constData();
    EXPECT_EQ(stored.value("Top"), "90");
    EXPECT_EQ(stored.value("Width"), "900");
    EXPECT_EQ(stored.value("Height"), "620");
    for (const char* key :
         {"Textsize", "Snapcount", "Textcolor", "Actioncolor", "Playsounds", "ChatterSounds"})
        EXPECT_TRUE(stored.contains(key)) << key << " missing:\n"
                                          << bobHome.settingsText().constData();
}

TEST_F(DesktopCopies, ASoloStartSitsAtItsOwnTable)
{
    // No screen needed: the offscreen platform.
    GameFolder home(e2e::gameBinary());
    ASSERT_TRUE(home.isReady());
    GameProcess solo;
    ASSERT_TRUE(solo.start(home, {}, nullptr));
    ASSERT_TRUE(solo.waitForLog(QStringLiteral("slot 1: logged in as \"You\"")))
        << qPrintable(solo.log());

    support::TestBot guest;
    ASSERT_TRUE(guest.connectTo(e2e::kGamePort));
    ASSERT_TRUE(guest.login("Guest"));
    EXPECT_EQ(guest.slot(), 2);
    const auto host = next(guest, MessageId::ExistingPlayers, e2e::kToolMs);
    ASSERT_TRUE(host);
    EXPECT_EQ(host->integer(0), 1);
    EXPECT_EQ(host->text(1), "You");
    EXPECT_FALSE(guest.receivesWithin("CMD_existingplayers", 500))
        << "only the solo player should sit at the table";
    EXPECT_TRUE(solo.isRunning());
}

} // namespace
