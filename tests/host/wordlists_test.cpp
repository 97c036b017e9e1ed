#include "host/phrase.h"
#include "host/wordlists.h"

#include "hostfixture.h"

#include <QSet>

using namespace hosttest;
using host::WordLists;

namespace {

QByteArray sortKey(QByteArray entry)
{
    entry.replace('\'', "").replace('\x92', "");
    return entry.toLower();
}

// The sizes the lists had before they were cleaned; each stays within 5% of its own.
constexpr int kFormerSizes[WordLists::kCategories] = {617, 469, 885, 488, 798, 701, 446};

QList<QByteArray> list(const WordLists& lists, int n)
{
    QList<QByteArray> out;
    for (int i = 0; i < lists.count(n); ++i)
        out.append(lists.entry(n, i));
    return out;
}

// Deterministic stand-in for the clock-seeded generator.
class Lcg : public host::RandomSource {
public:
    int below(int n) override
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((m_state >> 33) % static_cast<quint64>(n));
    }

private:
    quint64 m_state = 42;
};

} // namespace

TEST(ShippedWordLists, AreSortedCleanAndKeepTheirSizes)
{
    const WordLists lists = WordLists::builtIn();
    for (int n = 0; n < WordLists::kCategories; ++n) {
        SCOPED_TRACE(n);
        const QList<QByteArray> entries = list(lists, n);
        QSet<QByteArray> seen;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QByteArray& e = entries[i];
            if (i > 0) {
                EXPECT_LE(sortKey(entries[i - 1]), sortKey(e)) << e.constData();
            }
            // One blank between words and none around them; nothing the wire would cut; as
            // short as the answer line and its words: the rule a folder's lists are held to.
            EXPECT_EQ(WordLists::entryFault(e), QString()) << e.constData();
            EXPECT_FALSE(seen.contains(e.toLower())) << "twice: " << e.constData();
            seen.insert(e.toLower());
        }
        EXPECT_GE(entries.size(), kFormerSizes[n] * 95 / 100);
        EXPECT_LE(entries.size(), kFormerSizes[n] * 105 / 100);
    }
}

TEST(ShippedWordLists, CarryTheEntriesPlayersKnow)
{
    const WordLists lists = WordLists::builtIn();
    EXPECT_EQ(
        list(lists, 0).mid(0, 10),
        (QList<QByteArray>{"academy awards", "actor", "actress", "Album", "amplifier", "animation",
                           "apple for the teacher", "ashtray", "awards", "back light"}));
    EXPECT_TRUE(list(lists, 0).contains("baker's dozen"));
    EXPECT_TRUE(list(lists, 1).contains("cry like a baby"));
    EXPECT_TRUE(list(lists, 1).contains("bouncing a ball"));
    EXPECT_TRUE(list(lists, 2).contains("a close shave"));
    EXPECT_TRUE(list(lists, 2).contains("A Bad egg"));
    EXPECT_TRUE(list(lists, 3).contains("candle in the wind"));
    EXPECT_TRUE(list(lists, 5).contains("Mr Bean"));
    EXPECT_TRUE(list(lists, 5).contains("Mr Rogers neighborhood"));
    EXPECT_TRUE(list(lists, 5).contains("Abbot And Costello Show"));
    EXPECT_TRUE(list(lists, 6).contains("pie a la mode"));
}

TEST(WordListEntries, LoseTabsAndLineEndsAroundThemAndKeepTheirBlanks)
{
    EXPECT_EQ(
        WordLists::parse("Abbot And Costello Show\t\nA Bad egg \n\tMr  Bean\r\n"
                         "fish\tsoup \t\n"),
        (QList<QByteArray>{"Abbot And Costello Show", "A Bad egg ", "Mr  Bean", "fish soup "}));
}

class ShippedListsInPlay : public HostFixture {
protected:
    ShippedListsInPlay() : HostFixture(WordLists::builtIn()) {}
};

TEST_F(ShippedListsInPlay, ACategoryNeverOffersTheSameEntryTwiceInOneRun)
{
    Lcg lcg;
    host::HostEngine game(out, lcg, WordLists::builtIn());
    for (int s = 1; s <= 2; ++s) {
        game.admit(0);
        game.lineReceived(s, "CMD_logininfo+" + QByteArray::number(s) + "+2.2.7+P");
        game.drainTick(0);
    }
    game.lineReceived(1, "CMD_startgame+1+false+10000+1");
    game.drainTick(0);
    QSet<QByteArray> seen;
    for (int turn = 0; turn < 300; ++turn) {
        const int drawer = game.game().drawer();
        const qint64 turnStartMs = qint64{turn + 1} * 28000; // a turn lasts 28 s here
        game.lineReceived(drawer, "CMD_pickcatagory+" + QByteArray::number(drawer) + "+6");
        game.drainTick(turnStartMs);
        for (int t = 0; t < 11; ++t)
            game.clockTick();
        ASSERT_EQ(game.game().category(), 6);
        ASSERT_FALSE(seen.contains(game.game().phrase())) << game.game().phrase().constData();
        seen.insert(game.game().phrase());
        for (int t = 0; t < 1 + 5 + 11; ++t) // time out and break
            game.clockTick();
    }
}

TEST_F(ShippedListsInPlay, ARefusedPhraseIsNeverOfferedButIsUsedUp)
{
    join("Ann");
    join("Bob");
    const int before = engine.game().wordLists().count(3);
    const int candle =
        static_cast<int>(list(engine.game().wordLists(), 3).indexOf("candle in the wind"));
    ASSERT_GE(candle, 0);
    random.script = {candle, 0};
    startGame();
    handle(1, "CMD_pickcatagory+1+3");
    pickingPasses();
    EXPECT_EQ(engine.game().phrase(), "ACE OF BASE"); // "a thousand miles" is refused too
    EXPECT_FALSE(list(engine.game().wordLists(), 3).contains("candle in the wind"));
    EXPECT_EQ(engine.game().wordLists().count(3), before - 3);
}

TEST_F(ShippedListsInPlay, ASoloPassRightAfterStartComesFromTheFirstTenOfList0)
{
    engine.setSolo(true);
    join("You");
    startGame();
    handle(1, "CMD_pickcatagory+1+0");
    random.script = {50};
    pickingPasses(); // the turn's own phrase comes from further down; passes remove nothing
    for (int n = 0; n < 10; ++n) {
        random.script = {n};
        handle(1, "CMD_pass+1");
        const char* expected[] = {
            "ACADEMY AWARDS",        "ACTOR",   "ACTRESS", "ALBUM",     "AMPLIFIER", "ANIMATION",
            "APPLE FOR THE TEACHER", "ASHTRAY", "AWARDS",  "BACK LIGHT"};
        EXPECT_EQ(engine.game().phrase(), expected[n]);
    }
}

TEST(WordListEntries, TheLongestTheAnswerLineShowsIsTaken)
{
    const QByteArray longest = "Don't put all your eggs in one basket"; // shipped, list 2
    ASSERT_EQ(longest.size(), WordLists::kMaxEntryChars);
    EXPECT_EQ(WordLists::entryFault(longest), QString());
    EXPECT_EQ(WordLists::entryFault("a\x7Fz"), QStringLiteral("a control character (0x7F)"));
    EXPECT_EQ(WordLists::entryFault("caf\xE9 \x80uro"), QString());
}
