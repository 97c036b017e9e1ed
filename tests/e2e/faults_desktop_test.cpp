// Real windows at a quillon-host when things go wrong: the host killed in the middle of a
// turn, a window frozen for half a minute while the others play on, a storm of broken and
// hostile connections during a game, and a settings file and snapshot folder the player
// may not write. Each time the window must end or go on cleanly, tell its user what went
// wrong, and lose nothing; the other players must not notice.
#include "e2e/faultsfixture.h"
#include "e2e/storm.h"
#include "protocol/colour.h"

#include "soak/crowd.h"
#include "soak/seatcheck.h"
#include "soak/tablewatch.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

#include <csignal>

namespace {

using e2e::GameFolder;
using e2e::GameProcess;
using e2e::faults::FaultsDesktop;
using protocol::MessageId;

// The values of one section of a settings file.
QMap<QByteArray, QByteArray> section(const QByteArray& text, const QByteArray& name)
{
    QMap<QByteArray, QByteArray> values;
    bool inside = false;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inside = line.compare('[' + name + ']', Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inside && eq > 0)
            values.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return values;
}

// The game's section as GameFolder writes it, and the launcher's section after it.
bool writeSettingsWithLobby(const GameFolder& home, const QStringList& game, const char* name)
{
    if (!home.writeSettings(game))
        return false;
    QFile file(home.settingsPath());
    return file.open(QIODevice::Append) &&
           file.write(QByteArray("\n[QuillonLobby]\nName=") + name + "\nMode=join\n") > 0;
}

// The drawer's hand: a stroke every few hundred milliseconds, wandering over the board.
class Hand {
public:
    explicit Hand(support::TestBot& bot) : m_bot(bot)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { stroke(); });
    }
    void start() { m_timer.start(350); }
    void stop() { m_timer.stop(); }
    int strokes() const { return m_strokes; }

private:
    void stroke()
    {
        const protocol::ColourValue pen = m_strokes % 2 ? protocol::kBlack : protocol::kMaroon;
        m_bot.send(MessageId::MoveItToHost, {m_bot.slot(), pen, 4, m_at.x(), m_at.y()});
        QList<QPoint> points{m_at};
        for (int i = 0; i < 8; ++i) {
            m_at += QPoint(m_random.bounded(-25, 26), m_random.bounded(-25, 26));
            m_at = QPoint(std::clamp(m_at.x(), 10, 520), std::clamp(m_at.y(), 10, 360));
            points.append(m_at);
        }
        m_bot.send(MessageId::DrawToHost, {m_bot.slot(), pen, 4, QByteArray(), points});
        ++m_strokes;
    }

    support::TestBot& m_bot;
    QTimer m_timer;
    QRandomGenerator m_random{7};
    QPoint m_at{260, 180};
    int m_strokes = 0;
};

// Cy (slot 1) starts a game and takes the first turn; true once Cy holds the phrase.
bool cyDraws(support::TestBot& cy, int target, int seconds)
{
    cy.send(MessageId::StartGameToHost, {1, false, target, seconds});
    if (!cy.waitFor("CMD_pickcatagory", e2e::kPhaseMs))
        return false;
    cy.send(MessageId::PickCategoryToHost, {1, 2});
    return cy.waitFor("CMD_givedraweranswer", e2e::kPhaseMs).has_value();
}

// Pixels of the pens' dark colours.
qsizetype inked(const QImage& picture)
{
    qsizetype dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            dark += picture.pixelColor(x, y).value() < 160 ? 1 : 0;
    }
    return dark;
}

} // namespace

TEST_F(FaultsDesktop, AHostKilledMidTurnClosesEveryWindowAndKeepsItsSettings)
{
    openTable(100);
    GameFolder annHome(e2e::gameBinary());
    GameFolder bobHome(e2e::gameBinary());
    ASSERT_TRUE(annHome.isReady() && bobHome.isReady());
    ASSERT_TRUE(writeSettingsWithLobby(annHome, settingsAt(0, 0), "Ann"));
    ASSERT_TRUE(writeSettingsWithLobby(bobHome, settingsAt(0, 560), "Bob"));
    GameProcess ann;
    GameProcess bob;
    const std::optional<quint64> annWindow = join(ann, annHome, "Ann");
    ASSERT_TRUE(annWindow.has_value());
    const std::optional<quint64> bobWindow = join(bob, bobHome, "Bob");
    ASSERT_TRUE(bobWindow.has_value());
    const QByteArray annBefore = annHome.settingsText();

    // Bob's player moves his window (its new place is stored when it closes); Cy draws.
    ASSERT_TRUE(
        display
            .tool(QStringLiteral("xdotool"),
                  {QStringLiteral("windowmove"), QStringLiteral("--sync"),
                   QString::number(*bobWindow), QStringLiteral("120"), QStringLiteral("600")})
            .ok());
    ASSERT_TRUE(cyDraws(cy, 5, 600));
    Hand hand(cy);
    hand.start();
    ASSERT_TRUE(support::spinUntil([&] { return hand.strokes() >= 3; }, e2e::kToolMs));
    display.screenshot(QStringLiteral("faults-host-killed-before"));

    // The host freezes first, and Ann's player chats meanwhile: her line lies unread at the
    // host when it dies, so her window sees the connection reset, Bob's an orderly end.
    hand.stop();
    ASSERT_EQ(::kill(static_cast<pid_t>(table.pid()), SIGSTOP), 0);
    display.click(*annWindow, e2e::faults::kChatEntry.x(), e2e::faults::kChatEntry.y());
    display.tool(QStringLiteral("xdotool"),
                 {QStringLiteral("type"), QStringLiteral("still there?")});
    display.tool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    support::spinFor(300);
    ASSERT_EQ(::kill(static_cast<pid_t>(table.pid()), SIGKILL), 0);

    // Each window closes by itself, normally, without a box on the way.
    for (GameProcess* game : {&ann, &bob}) {
        const std::optional<int> end = game->waitForExit(e2e::kStartMs);
        if (!end)
            display.screenshot(QStringLiteral("faults-host-killed-stuck"));
        EXPECT_EQ(end, std::optional<int>(0)) << qPrintable(game->log());

        EXPECT_FALSE(game->log().contains(QStringLiteral("Unable to write")));
    }
    EXPECT_TRUE(display.findWindows().isEmpty());
    EXPECT_TRUE(display.findWindows(0, QLatin1String(e2e::faults::kBoxTitle)).isEmpty());

    // Ann's window did not move: her file is as it was, byte for byte. Bob's holds his new
    // place and everything else it held, both sections.
    EXPECT_EQ(annHome.settingsText(), annBefore);
    const QByteArray bobText = bobHome.settingsText();
    const auto bobGame = section(bobText, "Quillon");
    EXPECT_EQ(bobGame.value("Left"), "120") << bobText.constData();
    EXPECT_EQ(bobGame.value("Top"), "600");
    EXPECT_EQ(bobGame.value("Width"), "797");
    EXPECT_EQ(bobGame.value("Snapcount"), "7");
    EXPECT_EQ(bobGame.value("Textsize"), "10");
    EXPECT_EQ(bobGame.value("Playsounds"), "false");
    EXPECT_EQ(section(bobText, "QuillonLobby").value("Name"), "Bob") << bobText.constData();
}

TEST_F(FaultsDesktop, AWindowStoppedForHalfAMinuteCatchesUpOrLeavesAndNobodyElseNotices)
{
    openTable(100);
    GameFolder annHome(e2e::gameBinary());
    GameFolder bobHome(e2e::gameBinary());
    ASSERT_TRUE(annHome.writeSettings(settingsAt(0, 0)));
    ASSERT_TRUE(bobHome.writeSettings(settingsAt(0, 560)));
    GameProcess ann;
    GameProcess bob;
    const std::optional<quint64> annWindow = join(ann, annHome, "Ann");
    ASSERT_TRUE(annWindow.has_value());
    const std::optional<quint64> bobWindow = join(bob, bobHome, "Bob");
    ASSERT_TRUE(bobWindow.has_value());

    // Di and Eve chat and guess (never right) at a person's pace; Cy draws.
    soak::TableWatch watch(100);
    QRandomGenerator random(11);
    soak::Pace pace;
    pace.chatMs = {800, 2000};
    pace.rightGuessPercent = 0;
    soak::Crowd others(table.port(), watch, random, pace);
    ASSERT_TRUE(others.seat(2));
    ASSERT_TRUE(cyDraws(cy, 50, 600));
    Hand hand(cy);
    hand.start();
    support::spinFor(1500);

    // Ann's window stops for thirty seconds while the game goes on.
    const int heardBefore = watch.counts().chatsHeard;
    ASSERT_EQ(::kill(static_cast<pid_t>(ann.pid()), SIGSTOP), 0);
    support::spinFor(30000);
    const int heardWhileStopped = watch.counts().chatsHeard - heardBefore;
    hand.stop();
    ASSERT_EQ(::kill(static_cast<pid_t>(ann.pid()), SIGCONT), 0);

    // Bob's board is the drawing as it ended; Ann's window either reaches the same picture or
    // has been let go by the host and closed cleanly.
    support::spinFor(500);
    const QImage drawn = board(*bobWindow, QStringLiteral("faults-stopped-bob-board"));
    ASSERT_EQ(drawn.size(), e2e::faults::kBoardSize);
    EXPECT_GT(inked(drawn), 500) << "nothing drawn on Bob's board";
    bool caughtUp = false;
    support::spinUntil(
        [&] {
            if (!ann.isRunning())
                return true;
            caughtUp = board(*annWindow, QStringLiteral("faults-stopped-ann-board")) == drawn;
            return caughtUp;
        },
        e2e::kToolMs);
    if (caughtUp) {
        // Its clock shows the time left as Bob's does, not the half minute it missed.
        const auto clockOf = [&](quint64 window, const char* name) {
            return part(window, QString::fromLatin1(name), e2e::faults::kClock);
        };
        EXPECT_TRUE(support::spinUntil(
            [&] {
                return clockOf(*annWindow, "faults-stopped-ann-clock") ==
                       clockOf(*bobWindow, "faults-stopped-bob-clock");
            },
            e2e::kToolMs))
            << "Ann's clock differs from Bob's";
        EXPECT_TRUE(watch.departedSlots().isEmpty()) << "somebody left";
        EXPECT_FALSE(table.log().contains(QStringLiteral("dropping")));
    } else {
        ASSERT_FALSE(ann.isRunning()) << "Ann's board never matched Bob's";
        EXPECT_EQ(ann.waitForExit(), std::optional<int>(0)) << qPrintable(ann.log());
        EXPECT_TRUE(table.log().contains(QStringLiteral("slot 2: dropping the connection")));
        EXPECT_EQ(watch.departedSlots(), QList<int>{2});
    }
    RecordProperty("ann", caughtUp ? "caught up" : "dropped");

    // The others never noticed: all seated, their chat lines reached each other throughout,
    // each within a second (tens of milliseconds is usual).
    EXPECT_TRUE(cy.isConnected());
    for (const soak::SoakBot* bot : others.bots())
        EXPECT_FALSE(bot->isGone()) << bot->name().constData();
    EXPECT_EQ(others.bots().size(), 2);
    EXPECT_GE(heardWhileStopped, 20) << "chat stopped reaching the others";
    EXPECT_LT(watch.counts().slowestChatMs, 1000);
    EXPECT_TRUE(bob.isRunning());
    RecordProperty("slowest_chat_ms", static_cast<int>(watch.counts().slowestChatMs));
    RecordProperty("strokes", hand.strokes());
}

TEST_F(FaultsDesktop, AConnectionStormLeavesTheGameTheWindowAndTheSlotsAsTheyWere)
{
    // A clock second of 50 ms: turns of under two seconds. Silent connections are let go
    // after thirty seconds, whatever the clock second: meanwhile they fill the free slots and
    // the storm's later connections are refused.
    openTable(50);
    GameFolder annHome(e2e::gameBinary());
    ASSERT_TRUE(annHome.writeSettings(settingsAt(0, 0)));
    GameProcess ann;
    const std::optional<quint64> annWindow = join(ann, annHome, "Ann");
    ASSERT_TRUE(annWindow.has_value());
    cy.send(MessageId::StartGameToHost, {1, false, 100, 5});
    ASSERT_TRUE(cy.waitFor("CMD_pickcatagory", e2e::kPhaseMs));
    cy.takeAll();

    e2e::Storm storm(table.port(), 400, 15);
    QElapsedTimer stormClock;
    stormClock.start();
    storm.start();
    int turns = 0;
    ASSERT_TRUE(support::spinUntil(
        [&] {
            for (const QByteArray& m : cy.takeAll())
                turns += support::messageName(m) == "CMD_pickcatagory" ? 1 : 0;
            return storm.isOver();
        },
        60000))
        << "the storm's connections did not all end";
    const e2e::Storm::Tally& tally = storm.tally();
    RecordProperty("storm_ms", static_cast<int>(stormClock.elapsed()));
    RecordProperty("seated", tally.seated);
    RecordProperty("refused", tally.refused);
    RecordProperty("turns", turns);
    EXPECT_GT(tally.seated, 40);
    EXPECT_GT(tally.refused, 100);
    EXPECT_GE(tally.endedByHost, 10) << "silent connections were not let go";

    // The game went on, and goes on; the window stayed; Cy was never dropped.
    EXPECT_GE(turns, 3);
    EXPECT_TRUE(cy.waitFor("CMD_pickcatagory", e2e::kPhaseMs));
    EXPECT_TRUE(ann.isRunning());
    EXPECT_FALSE(table.log().contains(QStringLiteral("(Ann): left")));
    EXPECT_TRUE(cy.isConnected());
    EXPECT_TRUE(display.findWindows(ann.pid(), QLatin1String(e2e::faults::kBoxTitle)).isEmpty());

    // Nothing is left behind: fresh players fill slots 3 to 15, the next is refused.
    const std::optional<QString> leak = soak::checkFreeSlots(table.port(), {1, 2});
    EXPECT_FALSE(leak.has_value()) << qPrintable(leak.value_or(QString()));
    display.screenshot(QStringLiteral("faults-storm-after"), *annWindow);
}

TEST_F(FaultsDesktop, AnUnwritableSettingsFileAndSnapshotFolderAreToldAndNothingIsLost)
{
    openTable(100);
    GameFolder annHome(e2e::gameBinary());
    ASSERT_TRUE(annHome.isReady());
    ASSERT_TRUE(writeSettingsWithLobby(annHome, settingsAt(0, 0), "Ann"));
    const QString snapshots = QDir(annHome.path()).filePath(QStringLiteral("snapshots"));
    ASSERT_TRUE(QDir().mkpath(snapshots));
    const std::optional<QString> launcher = e2e::faults::unprivilegedLauncher(annHome);
    ASSERT_TRUE(launcher.has_value());
    // Neither the settings file nor the snapshot folder is the player's to write.
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(annHome.settingsPath(), readOnly));
    ASSERT_TRUE(QFile::setPermissions(snapshots, readOnly | QFileDevice::ExeOwner |
                                                     QFileDevice::ExeGroup |
                                                     QFileDevice::ExeOther));
    const QByteArray before = annHome.settingsText();
    GameProcess ann;
    const std::optional<quint64> window = join(ann, annHome, "Ann", *launcher);
    ASSERT_TRUE(window.has_value()) << qPrintable(ann.log());

    // A turn ends: Cy draws, Di guesses the phrase; Ann's player keeps a snapshot of it.
    support::TestBot di;
    ASSERT_TRUE(di.connectTo(table.port()));
    ASSERT_TRUE(di.login("Di"));
    ASSERT_TRUE(cyDraws(cy, 1, 600));
    Hand hand(cy);
    hand.start();
    ASSERT_TRUE(support::spinUntil([&] { return hand.strokes() >= 3; }, e2e::kToolMs));
    hand.stop();
    static const QRegularExpression draws(QStringLiteral("slot 1 draws \"([^\"]*)\""));
    di.send(MessageId::Answer, {di.slot(), draws.match(table.log()).captured(1).toLatin1()});
    ASSERT_TRUE(cy.waitFor("CMD_correctanswer", e2e::kToolMs));
    support::spinFor(500); // the window offers the snapshot once it has read the answer
    display.click(*window, e2e::faults::kSnapshotButton.x(), e2e::faults::kSnapshotButton.y());

    // The box names the snapshot that could not be written; nothing is left in the folder.
    const std::optional<quint64> snapBox = waitForBox(ann.pid());
    ASSERT_TRUE(snapBox.has_value()) << "no box about the snapshot";
    const QString snapText = readBox(*snapBox, QStringLiteral("faults-snapshot-box"));
    // The box is on screen; its exact words are in the window's log (tesseract misreads a
    // letter of the 8-point path now and then).
    EXPECT_TRUE(snapText.contains(QStringLiteral("Cannotsavethepicture"))) << qPrintable(snapText);
    EXPECT_TRUE(
        ann.log().contains(QStringLiteral("quillon: Cannot save the picture to %1: ")
                               .arg(QDir(snapshots).filePath(QStringLiteral("snapshot8.jpg")))))
        << qPrintable(ann.log());
    EXPECT_TRUE(dismiss(*snapBox, ann.pid()));
    EXPECT_TRUE(
        QDir(snapshots).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
        << qPrintable(QDir(snapshots).entryList(QDir::AllEntries | QDir::Hidden).join(u' '));

    // The player moves the window and closes it: the new place cannot be stored, the box
    // names the settings file, and the window still closes when it is dismissed.
    ASSERT_TRUE(display
                    .tool(QStringLiteral("xdotool"),
                          {QStringLiteral("windowmove"), QStringLiteral("--sync"),
                           QString::number(*window), QStringLiteral("200"), QStringLiteral("150")})
                    .ok());
    // File, then the menu's last entry, Exit.
    display.click(*window, e2e::faults::kFileMenu.x(), e2e::faults::kFileMenu.y());
    support::spinFor(300); // the menu opens and takes the keyboard
    display.tool(QStringLiteral("xdotool"),
                 {QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")});
    const std::optional<quint64> settingsBox = waitForBox(ann.pid());
    ASSERT_TRUE(settingsBox.has_value()) << "no box about the settings";
    const QString settingsText = readBox(*settingsBox, QStringLiteral("faults-settings-box"));
    EXPECT_TRUE(settingsText.contains(QStringLiteral("Unabletowriteto")))
        << qPrintable(settingsText);
    EXPECT_TRUE(ann.log().contains(QStringLiteral("quillon: Unable to write to ") +
                                   QDir::toNativeSeparators(annHome.settingsPath())))
        << qPrintable(ann.log());
    EXPECT_TRUE(dismiss(*settingsBox, ann.pid()));
    EXPECT_EQ(ann.waitForExit(), std::optional<int>(0)) << qPrintable(ann.log());

    // The old settings are untouched, and no half-written file lies beside them.
    EXPECT_EQ(annHome.settingsText(), before);
    const QStringList beside =
        QDir(annHome.path()).entryList({QStringLiteral("zelklobby*")}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(beside, QStringList{QStringLiteral("zelklobby.ini")});
}
