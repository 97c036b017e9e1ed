#include "host/phrase.h"
#include "host/wordlistfolder.h"
#include "host/wordlists.h"

#include "hostfixture.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>

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

namespace {

// A folder of seven one-phrase lists, any of which a test replaces.
class WordListFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (int n = 0; n < WordLists::kCategories; ++n)
            write(n, "zebra crossing " + QByteArray::number(n) + "\n");
    }

    QString path(int n) const { return dir.filePath(QStringLiteral("wordlist%1.txt").arg(n)); }
    void write(int n, const QByteArray& bytes) const
    {
        QFile::remove(path(n));
        QFile file(path(n));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // The fault's text, or "read" when the folder was taken.
    QString outcome() const
    {
        const auto read = host::readWordListFolder(dir.path());
        if (const auto* fault = std::get_if<host::WordListFault>(&read))
            return fault->text();
        return QStringLiteral("read");
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(WordListFolder, ReadsWindows1252AndUtf8ListsAsTheyAreWritten)
{
    // Windows-1252 without a final line break; UTF-8 behind its byte order mark; UTF-8.
    write(1, "caf\xE9 au lait\r\nna\xEFve\tguess\n\xC9tude");
    write(3, "\xEF\xBB\xBFPink\nBeyonc\xC3\xA9\n");
    write(6, "p\xC3\xA2t\xC3\xA9 chaud\nthe \xE2\x82\xACuro\n");
    const auto read = host::readWordListFolder(dir.path());
    ASSERT_TRUE(std::holds_alternative<WordLists>(read))
        << std::get<host::WordListFault>(read).text().toStdString();
    const WordLists& lists = std::get<WordLists>(read);
    EXPECT_EQ(list(lists, 0), QList<QByteArray>{"zebra crossing 0"});
    EXPECT_EQ(list(lists, 1), (QList<QByteArray>{"caf\xE9 au lait", "na\xEFve guess", "\xC9tude"}));
    EXPECT_EQ(list(lists, 3), (QList<QByteArray>{"Pink", "Beyonc\xE9"}));
    EXPECT_EQ(list(lists, 6), (QList<QByteArray>{"p\xE2t\xE9 chaud", "the \x80uro"}));
}

TEST_F(WordListFolder, RefusesABadListNamingItsFileAndLine)
{
    const struct {
        int list;
        QByteArray bytes;
        const char* fault;
    } cases[] = {
        {2, "", "wordlist2.txt: empty"},
        {3, "ok\nbell\x07ring\n", "wordlist3.txt line 2: a control character (0x07)"},
        {0, "one\ntwo\n\nthree\n", "wordlist0.txt line 3: an empty line"},
        {4, "the owl and the pussycat went to sea!\nthe owl and the pussycat went to sea!!\n",
         "wordlist4.txt line 2: 38 characters, more than the answer line shows (37)"},
        {5, "a b c d e f g h i j\n", "wordlist5.txt line 1: 10 words, more than 9"},
        {5, "supercalifragilistic\n",
         "wordlist5.txt line 1: a word of 20 characters, more than 15"},
        {1, "fish  soup\n",
         "wordlist1.txt line 1: a blank at the start or the end, or two blanks in a row"},
        {1, "salt+pepper\n", "wordlist1.txt line 1: a \"+\", which parts the fields of a message"},
        {1, "snake_case\n",
         "wordlist1.txt line 1: a \"_\", which the answer line shows for a hidden letter"},
        {1, "1999\n", "wordlist1.txt line 1: no letter to guess"},
        {6, "ok\n\x81\n", "wordlist6.txt line 2: a byte Windows-1252 has no character for (0x81)"},
        {6, "caf\xC3\xA9\ncaf\xE9\n", "wordlist6.txt line 2: not UTF-8, though line 1 is"},
        {6, "\xEF\xBB\xBFok\ncaf\xE9\n",
         "wordlist6.txt line 2: not UTF-8, though the file starts with UTF-8's byte order mark"},
        {6, "ok\n\xC5\x81\xC3\xB3\x64\xC5\xBA\n", // "Łódź"
         "wordlist6.txt line 2: a character Windows-1252 does not have (U+0141)"},
        {2, "the the\n",
         "wordlist2.txt: no entry that can be drawn (a word of each one comes again later in it)"},
        {2, QByteArray(host::kMaxWordListBytes + 1, 'a'), "wordlist2.txt: larger than 4 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        write(c.list, c.bytes);
        EXPECT_EQ(outcome(), QString::fromUtf8(c.fault));
        write(c.list, "zebra crossing\n");
    }
    EXPECT_EQ(outcome(), QStringLiteral("read"));
}

TEST_F(WordListFolder, RefusesWhatIsNoRegularFileWithoutWaitingOnIt)
{
    ASSERT_TRUE(QFile::remove(path(4)));
    EXPECT_EQ(outcome(), QStringLiteral("wordlist4.txt: missing"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("wordlist4.txt")));
    EXPECT_EQ(outcome(), QStringLiteral("wordlist4.txt: not a regular file"));
    // Opening a FIFO for reading would wait for a writer that never comes.
    ASSERT_TRUE(QFile::remove(path(2)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(2)).constData(), 0600), 0);
    EXPECT_EQ(outcome(), QStringLiteral("wordlist2.txt: not a regular file"));
}

TEST(WordListEntries, TheLongestTheAnswerLineShowsIsTaken)
{
    const QByteArray longest = "Don't put all your eggs in one basket"; // shipped, list 2
    ASSERT_EQ(longest.size(), WordLists::kMaxEntryChars);
    EXPECT_EQ(WordLists::entryFault(longest), QString());
    EXPECT_EQ(WordLists::entryFault("a\x7Fz"), QStringLiteral("a control character (0x7F)"));
    EXPECT_EQ(WordLists::entryFault("caf\xE9 \x80uro"), QString());
}
