// Games on a running quillon-host: strokes, a newcomer's catch-up, and whole games played
// by bots over TCP to the announcement of the winner.
#include "livehost.h"

#include <QHash>

#include <algorithm>
#include <string>

using namespace integration;

namespace {

QList<QByteArray> strokesOf(const Peer& peer)
{
    QList<QByteArray> strokes;
    for (const QByteArray& m : peer.seen) {
        const QByteArray name = support::messageName(m);
        if (name == "CMD_moveit" || name == "CMD_draw")
            strokes.append(m);
    }
    return strokes;
}

// The fields after the message name.
QList<QByteArray> fieldsOf(const QByteArray& message)
{
    return support::messagePayload(message).split('+');
}

} // namespace

class Game : public LiveHost {};

TEST_F(Game, TheDrawersStrokesReachEveryoneElseOnly)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);

    // Before a game nothing drawn is passed on.
    ann->send("CMD_moveit+1+clBlack+3+5+5");
    ASSERT_TRUE(sync(*ann, {ann, bo, cy}));
    EXPECT_TRUE(strokesOf(*bo).isEmpty());

    ann->send("CMD_startgame+1+false+10+600");
    ASSERT_TRUE(allReceive({ann, bo, cy}, "CMD_pickcatagory+1"));
    const QList<QByteArray> strokes = {
        "CMD_moveit+1+clBlack+3+10+20", "CMD_draw+1+clBlack+3++10,20+11,22+13,25+",
        "CMD_moveit+1+$00804020+12+200+7", "CMD_draw+1+$00804020+12++200,7+201,9+"};
    for (const QByteArray& s : strokes)
        ann->send(s);
    ASSERT_TRUE(sync(*ann, {ann, bo, cy}));
    EXPECT_EQ(strokesOf(*bo), strokes);
    EXPECT_EQ(strokesOf(*cy), strokes);
    EXPECT_TRUE(strokesOf(*ann).isEmpty());

    // Somebody who is not drawing cannot draw on the others' boards.
    bo->send("CMD_moveit+2+clRed+5+1+1");
    bo->send("CMD_draw+2+clRed+5++1,1+2,2+");
    bo->send("CMD_clearmain+2");
    ASSERT_TRUE(sync(*bo, {ann, bo, cy}));
    EXPECT_EQ(strokesOf(*cy), strokes);
    EXPECT_TRUE(strokesOf(*ann).isEmpty());
    EXPECT_EQ(cy->countOf("CMD_clearmain"), 0);

    // The drawer's clearing reaches the others.
    ann->send("CMD_clearmain+1");
    EXPECT_TRUE(allReceive({bo, cy}, "CMD_clearmain+1"));
    ASSERT_TRUE(sync(*ann, {ann, bo, cy}));
    EXPECT_EQ(ann->countOf("CMD_clearmain"), 0);
}

TEST_F(Game, ALateJoinerSeesTheDrawingSoFarAndTheStateOfTheGame)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    ann->send("CMD_startgame+1+false+12+600");
    ASSERT_TRUE(allReceive({ann, bo}, "CMD_pickcatagory+1"));
    // Wait for the drawing phase, so the category and the phrase's mask are known.
    const std::optional<QByteArray> announced = waitForNext(*bo, "CMD_nextplayer");
    ASSERT_TRUE(announced);
    ASSERT_TRUE(waitForNext(*ann, "CMD_givedraweranswer"));

    const QList<QByteArray> strokes = {
        "CMD_moveit+1+clBlack+3+10+20", "CMD_draw+1+clBlack+3++10,20+11,22+",
        "CMD_moveit+1+clBlue+8+50+60", "CMD_draw+1+clBlue+8++50,60+55,61+60,65+",
        "CMD_draw+1+clBlue+8++60,65+70,70+"};
    for (const QByteArray& s : strokes)
        ann->send(s);
    ASSERT_TRUE(allReceive({bo}, strokes.last()));

    Peer* cy = join("Cy");
    ASSERT_NE(cy, nullptr);
    ASSERT_TRUE(spin([&] { return cy->countOf("CMD_gamestats") == 1; }));
    QList<QByteArray> expected = {"CMD_newplayerinfo+3+Cy", "CMD_existingplayers+1+Ann",
                                  "CMD_existingplayers+2+Bo"};
    expected += strokes;
    expected += {*announced, "CMD_gamestats+12+600+0+0+0+0+0+0+0+0+0+0"};
    // The game's clock reports may come before or after, never in the middle.
    const qsizetype from = cy->seen.indexOf(expected.first());
    ASSERT_GE(from, 0);
    EXPECT_EQ(cy->seen.mid(from, expected.size()), expected);

    // From then on the newcomer gets the strokes as they are drawn.
    ann->send("CMD_moveit+1+clRed+2+1+2");
    EXPECT_TRUE(allReceive({bo, cy}, "CMD_moveit+1+clRed+2+1+2"));
}

TEST_F(Game, BotsPlayAWholeGameUntilOnePlayerLeadsAtTheTarget)
{
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    Peer* cy = join("Cy");
    ASSERT_TRUE(ann && bo && cy);
    const QList<Peer*> all = {ann, bo, cy};
    const auto bySlot = [&](int slot) {
        return all.value(slot - 1);
    };
    constexpr qint32 kTarget = 5;

    // Turns are long enough never to run out while the bots play; a phrase the bots
    // cannot solve is passed.
    ann->send("CMD_startgame+1+false+" + QByteArray::number(kTarget) + "+300");
    ASSERT_TRUE(allReceive(all, "CMD_startgame+1+false+5+300"));

    QHash<int, qint32> score;
    const auto decided = [&] {
        qint32 top = 0;
        int leaders = 0;
        for (qint32 s : score) {
            if (s > top) {
                top = s;
                leaders = 1;
            } else if (s == top) {
                ++leaders;
            }
        }
        return top >= kTarget && leaders == 1;
    };

    int expectedDrawer = 1;
    int turns = 0;
    int passes = 0;
    std::string transcript; // what happened, for the failure message
    std::optional<QByteArray> winner;
    while (!winner) {
        ASSERT_LT(turns, 20) << "no winner after 20 turns:\n" << transcript;
        std::optional<QByteArray> pick;
        ASSERT_TRUE(spin([&] {
            pick = ann->next("CMD_pickcatagory");
            if (!pick)
                winner = ann->next("CMD_winner");
            return pick || winner;
        }));
        if (winner) {
            EXPECT_TRUE(decided()) << "the game ended before anybody led at the target";
            break;
        }
        ASSERT_FALSE(decided()) << "another turn began although the game was decided";
        ++turns;

        // Turns go round the table in slot order.
        const int drawerSlot = fieldsOf(*pick).value(0).toInt();
        EXPECT_EQ(drawerSlot, expectedDrawer);
        Peer* drawer = bySlot(drawerSlot);
        ASSERT_NE(drawer, nullptr);
        expectedDrawer = drawerSlot % 3 + 1;
        // The best-placed other player guesses, so a tie at the top is broken by the next
        // turn (always letting the drawer's neighbour guess can tie forever).
        Peer* guesser = nullptr;
        for (Peer* p : all) {
            if (p != drawer && (!guesser || score.value(p->slot()) > score.value(guesser->slot())))
                guesser = p;
        }
        ASSERT_NE(guesser, nullptr);

        // Everybody (Ann included) is told the turn's drawer, category and mask.
        const std::optional<QByteArray> next = waitForNext(*ann, "CMD_nextplayer");
        ASSERT_TRUE(next);
        std::optional<QByteArray> given = waitForNext(*drawer, "CMD_givedraweranswer");
        ASSERT_TRUE(given);
        // Guessers see one "_" for every character of the phrase, blanks where it has them.
        const QByteArray mask = fieldsOf(*next).mid(2).join('+');
        QByteArray phrase = support::messagePayload(*given);
        EXPECT_EQ(fieldsOf(*next).value(0).toInt(), drawerSlot);
        ASSERT_EQ(mask.size(), phrase.size() + 1) << mask.toStdString();
        for (qsizetype i = 0; i < phrase.size(); ++i)
            EXPECT_EQ(mask[i] == ' ', phrase[i] == ' ') << mask.toStdString();

        bool solved = false;
        for (int attempt = 0; attempt < 8 && !solved; ++attempt) {
            // On the second turn the drawer passes the first phrase without a guess.
            if (turns != 2 || attempt > 0) {
                guesser->send("CMD_answer+" + guesser->slotText() + '+' + phrase);
                // Every guess is shown to the drawer as "guessed", to the others as
                // "myguessed".
                const QByteArray shown = guesser->slotText() + '+' + phrase;
                EXPECT_TRUE(allReceive({drawer}, "CMD_guessed+" + shown));
                ASSERT_TRUE(sync(*guesser, all));
                for (const Peer* p : all) {
                    if (p != drawer) {
                        EXPECT_TRUE(p->has("CMD_myguessed+" + shown)) << p->name.toStdString();
                    }
                }
                if (const auto correct = ann->next("CMD_correctanswer")) {
                    const QList<QByteArray> f = fieldsOf(*correct);
                    ASSERT_GE(f.size(), 5) << correct->toStdString();
                    EXPECT_EQ(f[0].toInt(), guesser->slot());
                    EXPECT_EQ(f[2].toInt(), drawerSlot);
                    EXPECT_EQ(f.mid(4).join('+'), phrase);
                    // The solver earns two points, the drawer one.
                    EXPECT_EQ(f[1].toInt(), score.value(guesser->slot()) + 2);
                    EXPECT_EQ(f[3].toInt(), score.value(drawerSlot) + 1);
                    score[guesser->slot()] = f[1].toInt();
                    score[drawerSlot] = f[3].toInt();
                    transcript += correct->toStdString() + '\n';
                    solved = true;
                    break;
                }
                // Some phrases cannot be typed back as they are (a word repeated in
                // another letter case): passing is the way out.
                transcript += "unsolved: " + phrase.toStdString() + '\n';
            }
            // A pass costs the drawer a point (never below 0) and brings a new phrase.
            drawer->send("CMD_pass+" + drawer->slotText());
            ++passes;
            const auto passed = waitForNext(*ann, "CMD_passed");
            ASSERT_TRUE(passed);
            EXPECT_EQ(fieldsOf(*passed).value(0).toInt(), drawerSlot);
            const qint32 after = fieldsOf(*passed).value(1).toInt();
            EXPECT_EQ(after, std::max(0, score.value(drawerSlot) - 1));
            score[drawerSlot] = after;
            transcript += passed->toStdString() + '\n';
            given = waitForNext(*drawer, "CMD_givedraweranswer");
            ASSERT_TRUE(given);
            phrase = support::messagePayload(*given);
        }
        ASSERT_TRUE(solved) << "eight phrases in a row could not be solved";
    }

    ASSERT_TRUE(winner);
    RecordProperty("turns", turns);
    RecordProperty("passes", passes);
    const QByteArray name = support::messagePayload(*winner);
    qint32 best = -1;
    QByteArray leader;
    for (auto it = score.cbegin(); it != score.cend(); ++it) {
        if (it.value() > best) {
            best = it.value();
            leader = bySlot(it.key())->name;
        }
    }
    EXPECT_EQ(name, leader);
    EXPECT_GE(best, kTarget);
    EXPECT_TRUE(allReceive(all, *winner));
}
