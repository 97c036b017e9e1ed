// An evening at one table on one desktop, played as its players would: Ann hosts from her
// window (`quillon Ann 127.0.0.1 true`), Bob and Cy join from theirs, and two spectators
// (bots in the spectators' slots 11 and 12) look on and hear everything the table is told.
// Only mouse and keyboard drive the windows: the start dialog, the chooser, strokes on the
// board, guesses, chat, quick phrases, chatter sounds, Pass, Just Watch, the spy list,
// snapshots and File, Exit. The phrases come from the hosting copy's log, as an operator
// reads them. A clock second of 100 ms (QUILLON_SECOND_MS) keeps the evening short.
//
// The evening is one sitting: the second case goes on where the first left off.
#include "e2e/evening.h"
#include "protocol/windows1252.h"

#include <QElapsedTimer>
#include <QFile>

#include <iostream>

namespace {

using namespace e2e::evening;
using e2e::Display;

constexpr char kSecondMs[] = "100";
// Board pictures may differ in this many pixels of 196,677 (one in a thousand).
constexpr qsizetype kBoardTolerance = 196;

// Everything at the table, kept from the first case to the second.
struct Table {
    Display display;
    Hands hands{display};
    Seat ann{"Ann", 1, {0, 0}};
    Seat bob{"Bob", 2, {810, 0}};
    Seat cy{"Cy", 3, {0, 570}};
    support::TestBot eve; // slot 11: removed by Ann between the games
    support::TestBot fay; // slot 12: there all evening
    Ear eveHears{eve};
    Ear fayHears{fay};
    qsizetype phrasesRead = 0;
    int boardPictures = 0;
    qint64 longestPickMs = 0; // from a drawer's pick to its phrase, as the spectator heard
    bool teamGameWon = false;
};

class Evening : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sitting = std::make_unique<Table>(); }
    static void TearDownTestSuite() { sitting.reset(); }
    void TearDown() override
    {
        // What the table's host saw, for whoever reads a failure.
        if (HasFailure() && sitting && sitting->ann.process.pid() > 0)
            std::cerr << "Ann's copy logged:\n" << qPrintable(sitting->ann.process.log());
    }

    // Starts a seat's copy and waits for its window and its login as `slot`.
    void open(Seat& seat, const QStringList& arguments)
    {
        ASSERT_TRUE(seat.process.start(seat.folder, arguments, &t().display));
        ASSERT_TRUE(t().ann.process.waitForLog(
            QStringLiteral("slot %1: logged in as \"%2\"").arg(seat.slot).arg(seat.name)))
            << qPrintable(t().ann.process.log());
        const std::optional<quint64> window = t().display.waitForWindow(seat.process.pid());
        ASSERT_TRUE(window.has_value()) << qPrintable(seat.process.log());
        seat.window = *window;
    }

    // The phrase the host handed `drawer` last, read from the hosting copy's log once it
    // has a line newer than the last one read.
    QString phraseOf(const Seat& drawer)
    {
        return newPhraseFor(
            drawer.slot, [] { return t().ann.process.log(); }, t().phrasesRead);
    }

    // A picture of the seat's board, kept as e2e-artifacts/NAME.png.
    QImage board(const Seat& seat, const QString& name)
    {
        const std::optional<QString> path = t().display.screenshot(name, seat.window);
        return path ? QImage(*path).copy(QRect(kBoardAt, kBoardSize)) : QImage();
    }

    // The drawer draws two strokes with the mouse; every other window's board comes to show
    // the same picture. Returns the drawer's board.
    QImage drawAndCompare(const Seat& drawer, const QList<const Seat*>& others, const QString& name)
    {
        const QByteArray drawn = "CMD_draw+" + drawer.slotText() + '+';
        const QList<QList<QPoint>> strokes = {
            {{60, 60}, {100, 110}, {140, 60}, {180, 110}, {220, 60}, {260, 110}, {300, 60}},
            {{80, 300}, {160, 250}, {240, 280}, {320, 200}, {400, 240}, {470, 150}}};
        for (const QList<QPoint>& stroke : strokes) {
            QList<QPoint> points;
            for (QPoint p : stroke)
                points << kBoardAt + p;
            // A stroke before the window knows it draws is not a stroke: then again.
            const qsizetype mark = t().fayHears.mark();
            for (int attempt = 0; attempt < 3; ++attempt) {
                t().hands.stroke(drawer.window, points);
                if (t().fayHears.heardSince(mark, drawn, 1, 1500) > 0)
                    break;
            }
            EXPECT_GE(t().fayHears.heardSince(mark, "CMD_moveit+" + drawer.slotText() + '+'), 1)
                << "a stroke that did not reach the table";
        }
        const QImage picture = board(drawer, name + QLatin1Char('-') + drawer.name);
        EXPECT_GT(darkPixels(picture), 500) << "the drawer's board shows no strokes";
        for (const Seat* other : others) {
            QImage seen;
            support::spinUntil(
                [&] {
                    seen = board(*other, name + QLatin1Char('-') + other->name);
                    return differingPixels(seen, picture) <= kBoardTolerance;
                },
                5000);
            EXPECT_LE(differingPixels(seen, picture), kBoardTolerance)
                << qPrintable(other->name) << "'s board differs from " << qPrintable(drawer.name)
                << "'s";
        }
        return picture;
    }

    // Plays one turn as `turn` says, from the host asking the drawer to pick to the
    // phrase being solved. Returns the host's CMD_correctanswer.
    QByteArray play(const Turn& turn)
    {
        Ear& ear = t().fayHears;
        const std::optional<QByteArray> pick =
            ear.next({QByteArrayLiteral("CMD_pickcatagory+"), QByteArrayLiteral("CMD_winner+")});
        EXPECT_EQ(pick.value_or("(nothing)"), "CMD_pickcatagory+" + turn.drawer->slotText());
        QElapsedTimer picking;
        picking.start();
        // The chooser shows once the window has read its turn: click until the host hands
        // out a phrase (a repeated pick of one category changes nothing).
        const qsizetype picked = ear.mark();
        support::spinUntil(
            [&] {
                t().hands.click(turn.drawer->window, categoryButton(turn.category));
                return ear.heardSince(picked, "CMD_nextplayer+", 1, 150) > 0;
            },
            e2e::kToolMs);
        const std::optional<QByteArray> next = ear.next("CMD_nextplayer+");
        t().longestPickMs = std::max(t().longestPickMs, picking.elapsed());
        const QList<QByteArray> fields = next.value_or(QByteArray()).split('+');
        EXPECT_EQ(fields.value(1), turn.drawer->slotText());
        EXPECT_EQ(fields.value(2), QByteArray::number(turn.category))
            << "the category click did not count";
        QString phrase = phraseOf(*turn.drawer);
        if (turn.passFirst) {
            const qsizetype mark = ear.mark();
            support::spinUntil(
                [&] {
                    t().hands.click(turn.drawer->window, kPassButton);
                    return ear.heardSince(mark, "CMD_passed+", 1, 300) > 0;
                },
                e2e::kToolMs);
            EXPECT_EQ(ear.next("CMD_passed+").value_or(QByteArray()),
                      "CMD_passed+" + turn.drawer->slotText() + "+0");
            phrase = phraseOf(*turn.drawer);
        }
        if (turn.strokes) {
            QList<const Seat*> others;
            for (const Seat* s : {&t().ann, &t().bob, &t().cy}) {
                if (s != turn.drawer && s->process.isRunning())
                    others << s;
            }
            lastBoard = drawAndCompare(*turn.drawer, others,
                                       QStringLiteral("evening-board-%1").arg(++t().boardPictures));
        }
        if (turn.wrongGuesser) {
            t().hands.typeLine(turn.wrongGuesser->window, kGuessEntry, QStringLiteral("quokka"));
            EXPECT_TRUE(ear.next("CMD_myguessed+" + turn.wrongGuesser->slotText() + "+QUOKKA"));
        }
        if (turn.meanwhile)
            turn.meanwhile();
        // The phrase as typed by a player: small letters, the host judges without case.
        const qsizetype mark = ear.mark();
        for (int attempt = 0; attempt < 3; ++attempt) {
            t().hands.typeLine(turn.solver->window, kGuessEntry, phrase.toLower());
            if (ear.heardSince(mark, "CMD_correctanswer+", 1, 3000) > 0)
                break;
        }
        const QByteArray solved = ear.next("CMD_correctanswer+").value_or(QByteArray());
        EXPECT_TRUE(solved.startsWith("CMD_correctanswer+" + turn.solver->slotText() + '+'))
            << "\"" << qPrintable(phrase) << "\", typed in full by "
            << qPrintable(turn.solver->name) << ", was not solved: " << solved.constData();
        // The wire's text is Windows-1252 (a few phrases hold a typographic apostrophe).
        EXPECT_TRUE(solved.endsWith('+' + protocol::toWindows1252(phrase)))
            << solved.constData() << " for " << qPrintable(phrase);
        return solved;
    }

    // Ann starts a game from her start dialog: a click on the score's down arrow (20 is its
    // least, where it stays), `fewerSeconds` clicks on the seconds' down arrow and, when
    // `toggleTeam`, a click on the team box.
    void startGame(int fewerSeconds, bool toggleTeam)
    {
        t().hands.click(t().ann.window, kStartButton);
        const std::optional<quint64> dialog =
            waitForOnlyWindow(t().display, t().ann.process.pid(), QLatin1String(kStartDialogTitle));
        ASSERT_TRUE(dialog.has_value());
        t().hands.click(*dialog, kLowerScore);
        for (int i = 0; i < fewerSeconds; ++i)
            t().hands.click(*dialog, kFewerSeconds);
        if (toggleTeam)
            t().hands.click(*dialog, kTeamBox);
        t().hands.click(*dialog, kDialogStart);
    }

    // The spectators look on: each asks to watch once the game has started (a new game
    // lets everybody play again). The table's turn goes on meanwhile, so the ear only looks.
    void spectatorsWatch()
    {
        const qsizetype mark = t().fayHears.mark();
        for (support::TestBot* spy : {&t().eve, &t().fay}) {
            if (!spy->isConnected())
                continue;
            const QByteArray slot = QByteArray::number(spy->slot());
            spy->sendRaw("CMD_justwatch+" + slot + "+1\xFF");
            EXPECT_EQ(
                t().fayHears.heardSince(mark, "CMD_justwatching+" + slot + "+1", 1, e2e::kToolMs),
                1);
        }
    }

    // After CMD_winner no turn follows: the game has ended.
    void expectGameOver()
    {
        const qsizetype mark = t().fayHears.mark();
        support::spinFor(2000); // nearly two breaks of eleven clock seconds
        EXPECT_EQ(t().fayHears.heardSince(mark, "CMD_pickcatagory+"), 0);
    }

    static Table& t() { return *sitting; }
    static inline std::unique_ptr<Table> sitting;
    QImage lastBoard; // the drawer's board of the last turn drawn with strokes
};

TEST_F(Evening, TheTableFillsAndTheBlackTeamWinsATeamGame)
{
    Table& table = t();
    ASSERT_TRUE(table.display.start({1620, 1130})) << qPrintable(table.display.log());
    ASSERT_TRUE(e2e::portIsFree(e2e::kGamePort)) << "a hosting copy needs port 7772";
    for (Seat* seat : {&table.ann, &table.bob, &table.cy}) {
        ASSERT_TRUE(seat->folder.isReady());
        QStringList settings{QStringLiteral("Left=%1").arg(seat->place.x()),
                             QStringLiteral("Top=%1").arg(seat->place.y()),
                             QStringLiteral("Width=797"), QStringLiteral("Height=541"),
                             QStringLiteral("Playsounds=false")};
        // Bob hears no chatter sounds: his transcript names them instead.
        // Bob keeps every game's album, from the program's own section of the file.
        if (seat == &table.bob)
            settings << QStringLiteral("ChatterSounds=false") << QStringLiteral("[Album]")
                     << QStringLiteral("SaveEveryGame=true");
        ASSERT_TRUE(seat->folder.writeSettings(settings));
    }

    // Ann hosts on a fast clock; Bob's copy is handed a clock it must refuse; Cy joins.
    {
        const ScopedVariable fast("QUILLON_SECOND_MS", kSecondMs);
        open(table.ann,
             {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    }
    ASSERT_FALSE(HasFatalFailure());
    {
        const ScopedVariable wrong("QUILLON_SECOND_MS", "fast");
        open(table.bob,
             {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    }
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(table.bob.process.log().contains(
        QStringLiteral("QUILLON_SECOND_MS=\"fast\" ignored: the clock second takes 50 to 1000 "
                       "milliseconds")))
        << qPrintable(table.bob.process.log());
    open(table.cy, {QStringLiteral("Cy"), QStringLiteral("127.0.0.1"), QStringLiteral("false")});
    ASSERT_FALSE(HasFatalFailure());

    // A spectator gets slots 11 to 15 once the ten players' slots are taken: seven guests
    // fill slots 4 to 10 while Eve and Fay arrive, then go home.
    std::vector<std::unique_ptr<support::TestBot>> guests;
    for (int slot = 4; slot <= 10; ++slot) {
        guests.push_back(std::make_unique<support::TestBot>());
        ASSERT_TRUE(guests.back()->connectTo(e2e::kGamePort));
        ASSERT_TRUE(guests.back()->login("Guest" + QByteArray::number(slot)));
        ASSERT_EQ(guests.back()->slot(), slot);
    }
    ASSERT_TRUE(table.eve.connectTo(e2e::kGamePort) && table.eve.login("Eve"));
    ASSERT_TRUE(table.fay.connectTo(e2e::kGamePort) && table.fay.login("Fay"));
    EXPECT_EQ(table.eve.slot(), 11);
    EXPECT_EQ(table.fay.slot(), 12);
    for (const auto& guest : guests)
        guest->disconnectNow();
    ASSERT_TRUE(table.ann.process.waitForLog(QStringLiteral("slot 10 (Guest10): left")));

    // Before the first game: Cy chats, Bob sends quick phrase 2, Ann a chatter sound
    // (the menu's fourth entry after "<Cancel>").
    const qsizetype chatMark = table.eveHears.mark();
    table.hands.typeLine(table.cy.window, kChatEntry, QStringLiteral("pancakes for everyone"));
    table.hands.click(table.bob.window, phraseButton(2));
    EXPECT_TRUE(table.hands.choose(
        table.ann.process.pid(), [&] { table.hands.click(table.ann.window, phraseButton(10)); },
        {QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
         QStringLiteral("Down"), QStringLiteral("Return")}));
    for (Ear* ear : {&table.eveHears, &table.fayHears}) {
        EXPECT_TRUE(ear->next("CMD_chat+Cy chats: pancakes for everyone|clMaroon"));
        EXPECT_TRUE(ear->next("CMD_action+Bob says: Good One!|clBlack"));
        EXPECT_TRUE(ear->next("CMD_playasound+1+wave3"));
    }
    EXPECT_EQ(table.eveHears.heardSince(chatMark, "CMD_chat+"), 1);
    // Bob's transcript shows the chat and names the chatter sound.
    const QString read = readText(
        QImage(table.display.screenshot(QStringLiteral("evening-chat-bob"), table.bob.window)
                   .value_or(QString()))
            .copy(kTranscript),
        QStringLiteral("evening-chat-bob-transcript"));
    EXPECT_TRUE(read.contains(QStringLiteral("Cy chats: pancakes"))) << qPrintable(read);
    EXPECT_TRUE(read.contains(QStringLiteral("<Chatter Sound> Hello"))) << qPrintable(read);

    // The team game: to 20, 100 seconds a turn (four clicks down from 120). Odd slots play
    // for the Black team (Ann, Cy), even ones for Maroon (Bob).
    startGame(4, true);
    ASSERT_TRUE(table.fayHears.next("CMD_startgame+1+true+20+100"));
    spectatorsWatch();
    Seat& ann = table.ann;
    Seat& bob = table.bob;
    Seat& cy = table.cy;
    const qsizetype gameMark = table.fayHears.mark();
    // A solver earns the side 2, its drawer 1: Black has 19 and Maroon 2 before Bob's last
    // turn, which Ann solves: 21 to 3.
    const Turn turns[] = {{&ann, kGeneral, &cy, false, true},
                          {&bob, kActions, &ann},
                          {&cy, kFoodAndDrink, &ann},
                          {&ann, kGeneral, &cy},
                          {&bob, kActions, &ann},
                          {&cy, kFoodAndDrink, &ann},
                          {&ann, kGeneral, &cy},
                          {&bob, kActions, &ann, false, true}};
    for (const Turn& turn : turns) {
        play(turn);
        ASSERT_FALSE(HasFailure()) << "the turn of " << qPrintable(turn.drawer->name);
    }
    EXPECT_EQ(table.fayHears.next("CMD_winner+").value_or(QByteArray()), "CMD_winner+Black Team");
    QList<QByteArray> teamScores;
    for (const QByteArray& m : table.fayHears.since(gameMark)) {
        if (m.startsWith("CMD_teamscore+"))
            teamScores << m;
    }
    EXPECT_EQ(teamScores.size(), 8);
    EXPECT_EQ(teamScores.value(7), "CMD_teamscore+21+3+21+3+21+3+21+3+21+3");
    // Picking lasts eleven clock seconds: 1.1 s on Ann's clock, not eleven.
    EXPECT_LT(table.longestPickMs, 3000);
    expectGameOver();

    // Cy keeps the last drawing: the JPEG holds the board with Bob's strokes.
    table.hands.click(cy.window, kSnapshotButton);
    const QString snapshot = cy.folder.path() + QStringLiteral("/snapshots/snapshot1.jpg");
    ASSERT_TRUE(support::spinUntil([&] { return QFile::exists(snapshot); }, e2e::kToolMs));
    const QImage kept(snapshot);
    ASSERT_EQ(kept.size(), kBoardSize);
    // Below the caption's line, where the screen showed a stroke the file does too.
    const auto [strokes, keptStrokes] = strokesKept(lastBoard, kept, 30);
    EXPECT_GT(strokes, 500);
    EXPECT_GT(keptStrokes, strokes * 9 / 10) << "the snapshot does not show the drawing";
    EXPECT_GT(kept.pixelColor(4, 4).value(), 200); // the caption's white box
    EXPECT_TRUE(
        support::spinUntil([&] { return cy.folder.settingsText().contains("Snapcount=1"); }));
    table.teamGameWon = !HasFailure();
}

TEST_F(Evening, AnnRemovesASpyCyLeavesMidTurnAndBobWinsAPlainGame)
{
    Table& table = t();
    ASSERT_TRUE(table.teamGameWon) << "the evening's first game did not end as it should";
    Seat& ann = table.ann;
    Seat& bob = table.bob;
    Seat& cy = table.cy;

    // Ann removes Eve: View, Spy List, a right click on Eve's entry, "Remove From Game".
    ASSERT_TRUE(table.hands.chooseFromMenuBar(ann, QStringLiteral("alt+v"),
                                              {QStringLiteral("Down"), QStringLiteral("Return")}));
    const std::optional<quint64> spyList =
        table.display.waitForWindow(ann.process.pid(), QLatin1String(kSpyListTitle));
    ASSERT_TRUE(spyList.has_value());
    table.display.screenshot(QStringLiteral("evening-spy-list"), *spyList);
    EXPECT_TRUE(table.hands.choose(ann.process.pid(),
                                   [&] { table.hands.click(*spyList, kFirstSpy, 3); },
                                   {QStringLiteral("Down"), QStringLiteral("Return")}));
    EXPECT_TRUE(table.eve.waitForDisconnect(e2e::kToolMs)) << "Eve is still at the table";
    EXPECT_TRUE(table.fayHears.next("CMD_playerdisconnected+11+Eve"));
    EXPECT_TRUE(ann.process.waitForLog(QStringLiteral("slot 11: removed by the host")));
    table.hands.click(*spyList, kSpyListDone);
    EXPECT_TRUE(support::spinUntil(
        [&] {
            return table.display.findWindows(ann.process.pid(), QLatin1String(kSpyListTitle))
                .isEmpty();
        },
        e2e::kToolMs));

    // The plain game: the dialog kept 100 seconds and the team box, which Ann clears.
    startGame(0, true);
    ASSERT_TRUE(table.fayHears.next("CMD_startgame+1+false+20+100"));
    spectatorsWatch();

    // Ann picks, passes once for a point, draws; Cy guesses wrong, Bob right.
    const QByteArray first = play({&ann, kFoodAndDrink, &bob, true, true, &cy});
    EXPECT_TRUE(first.startsWith("CMD_correctanswer+2+2+1+1+")) << first.constData();

    // Bob would draw next, but sets himself to just watch: the turn goes on to Cy.
    EXPECT_TRUE(table.fayHears.next("CMD_pickcatagory+2"));
    EXPECT_TRUE(table.hands.chooseFromMenuBar(bob, QStringLiteral("alt+o"),
                                              {QStringLiteral("Up"), QStringLiteral("Return")}));
    EXPECT_TRUE(table.fayHears.next("CMD_justwatching+2+1"));

    // Ann and Cy draw in turn, Bob solves every phrase. Cy leaves in the middle of the
    // ninth turn (from where he sat before, a little further along), and Bob plays
    // again in the tenth.
    const QPoint cyMovedTo = cy.place + QPoint(40, 10);
    const Turn turns[] = {
        {&cy, kGeneral, &bob},
        {&ann, kActions, &bob},
        {&cy, kFoodAndDrink, &bob},
        {&ann, kGeneral, &bob},
        {&cy, kActions, &bob},
        {&ann, kFoodAndDrink, &bob},
        {&cy, kGeneral, &bob},
        {&ann, kActions, &bob, false, false, nullptr,
         [&] {
             table.hands.moveWindow(cy.window, cyMovedTo);
             EXPECT_TRUE(table.hands.chooseFromMenuBar(
                 cy, QStringLiteral("alt+f"), {QStringLiteral("Up"), QStringLiteral("Return")}));
             EXPECT_EQ(cy.process.waitForExit(), 0);
             EXPECT_TRUE(table.fayHears.next("CMD_playerdisconnected+3+Cy"));
         }},
        {&ann, kFoodAndDrink, &bob, false, false, nullptr,
         [&] {
             EXPECT_TRUE(table.hands.chooseFromMenuBar(
                 bob, QStringLiteral("alt+o"), {QStringLiteral("Up"), QStringLiteral("Return")}));
             EXPECT_TRUE(table.fayHears.next("CMD_justwatching+2+2"));
         }},
    };
    QByteArray solved;
    for (const Turn& turn : turns) {
        solved = play(turn);
        ASSERT_FALSE(HasFailure()) << "the turn of " << qPrintable(turn.drawer->name);
    }
    // Two points a solved phrase: Bob has 20 after ten, and wins alone.
    EXPECT_TRUE(solved.startsWith("CMD_correctanswer+2+20+1+")) << solved.constData();
    EXPECT_EQ(table.fayHears.next("CMD_winner+").value_or(QByteArray()), "CMD_winner+Bob");
    expectGameOver();

    // Bob's window kept both games' albums on its own; the plain game's holds its ten
    // turns, the first of them with Ann's strokes.
    const QDir snapshots(bob.folder.path() + QStringLiteral("/snapshots"));
    QStringList albums;
    ASSERT_TRUE(support::spinUntil(
        [&] {
            albums = snapshots.entryList({QStringLiteral("Album *")}, QDir::Dirs, QDir::Name);
            return albums.size() == 2;
        },
        e2e::kToolMs))
        << qPrintable(albums.join(QLatin1Char(',')));
    const QDir plainGame(snapshots.filePath(albums.last()));
    EXPECT_EQ(plainGame.entryList({QStringLiteral("Turn *.jpg")}, QDir::Files).size(), 10);
    EXPECT_FALSE(QImage(plainGame.filePath(QStringLiteral("Album.png"))).isNull());
    const QImage firstTurn(plainGame.filePath(QStringLiteral("Turn 01.jpg")));
    ASSERT_EQ(firstTurn.size(), QSize(533, 369));
    EXPECT_GT(darkPixels(firstTurn), 100) << "the album's first picture shows no strokes";
    table.display.screenshot(QStringLiteral("evening-album"), bob.window);

    // The evening ends: Bob's and Ann's windows are moved, Ann leaves with File, Exit, her
    // table closes and Bob's copy with it; every window stored where it was last.
    const QPoint bobMovedTo = bob.place + QPoint(20, 30);
    const QPoint annMovedTo = ann.place + QPoint(10, 20);
    table.hands.moveWindow(bob.window, bobMovedTo);
    table.hands.moveWindow(ann.window, annMovedTo);
    EXPECT_TRUE(table.hands.chooseFromMenuBar(ann, QStringLiteral("alt+f"),
                                              {QStringLiteral("Up"), QStringLiteral("Return")}));
    EXPECT_EQ(ann.process.waitForExit(), 0) << qPrintable(ann.process.log());
    EXPECT_EQ(bob.process.waitForExit(), 0) << qPrintable(bob.process.log());
    EXPECT_TRUE(table.fay.waitForDisconnect(e2e::kToolMs));
    // The lines of a seat's settings file that say where its window was and what it kept.
    const auto kept = [](const Seat& seat, QPoint at, const QByteArray& also) {
        const QList<QByteArray> lines = seat.folder.settingsText().split('\n');
        QList<QByteArray> wanted{"Left=" + QByteArray::number(at.x()),
                                 "Top=" + QByteArray::number(at.y()), "Width=797", "Height=541",
                                 also};
        wanted.removeIf([&](const QByteArray& line) { return lines.contains(line); });
        return wanted;
    };
    EXPECT_EQ(kept(ann, annMovedTo, "Playsounds=false"), QList<QByteArray>{});
    EXPECT_EQ(kept(bob, bobMovedTo, "ChatterSounds=false"), QList<QByteArray>{});
    EXPECT_EQ(kept(cy, cyMovedTo, "Snapcount=1"), QList<QByteArray>{});
}

} // namespace
