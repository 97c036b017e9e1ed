#include "host/phrase.h"
#include "host/wordlists.h"

#include "hostfixture.h"

#include <string>

using namespace hosttest;
using host::WordLists;

namespace {

// A table of three whose every list holds the same single entry: Ann (slot 1) draws it,
// Bob (slot 2) guesses.
class OneEntryTable {
public:
    explicit OneEntryTable(const QByteArray& entry) : m_engine(m_out, m_random, listsOf({entry}))
    {
        for (const QByteArray name : {"Ann", "Bob", "Cid"}) {
            const int slot = m_engine.admit(0);
            m_engine.welcome(slot);
            send(slot, "CMD_logininfo+" + QByteArray::number(slot) + "+2.2.7+" + name);
        }
        send(1, "CMD_startgame+1+false+20+120");
        for (int tick = 0; tick < 11; ++tick) // the picking time
            m_engine.clockTick();
    }

    bool drawing(const QByteArray& entry) const
    {
        return m_engine.game().turnState() == host::TurnState::Drawing &&
               m_engine.game().phrase() == host::phrase::upperLetters(entry);
    }
    // Bob types a guess; whether the turn has been solved by him, as Cid is told.
    bool guess(const QByteArray& text)
    {
        send(2, "CMD_answer+2+" + text);
        const QByteArray solvedByBob = "CMD_correctanswer+2+2+1+1+" + m_engine.game().phrase();
        for (const auto& s : m_out.sent) {
            if (s.slot == 3 && s.message == solvedByBob)
                return true;
        }
        return false;
    }

private:
    void send(int slot, const QByteArray& line)
    {
        m_engine.lineReceived(slot, line);
        while (m_engine.hasQueuedLines())
            m_engine.drainTick(0);
    }

    RecordingOutbound m_out;
    ScriptedRandom m_random;
    host::HostEngine m_engine;
};

std::string joinedForMessage(const QList<QByteArray>& entries)
{
    std::string text;
    for (const QByteArray& e : entries)
        text += '"' + e.toStdString() + "\"\n";
    return text;
}

} // namespace

// A player types what is drawn: the words between blanks, never a tab or a line break, and
// often without the apostrophes.
TEST(ShippedPhrases, EveryOfferedEntryIsSolvedByItsWordsInTurnAndByTheWholePhrase)
{
    const WordLists lists = WordLists::builtIn();
    QList<QByteArray> unsolvedWordByWord, unsolvedAtOnce, unsolvedBare;
    int offered = 0;
    for (int n = 0; n < WordLists::kCategories; ++n) {
        for (int i = 0; i < lists.count(n); ++i) {
            const QByteArray& entry = lists.entry(n, i);
            if (host::phrase::isRefused(entry))
                continue; // never drawn
            ++offered;
            const QByteArray typed = entry.simplified();

            OneEntryTable wordByWord(entry);
            ASSERT_TRUE(wordByWord.drawing(entry)) << entry.constData();
            bool solved = false;
            for (const QByteArray& word : typed.split(' '))
                solved = wordByWord.guess(word) || solved;
            if (!solved)
                unsolvedWordByWord.append(entry);

            OneEntryTable atOnce(entry);
            if (!atOnce.guess(typed))
                unsolvedAtOnce.append(entry);

            QByteArray bare = typed;
            bare.removeIf([](char c) { return c == '\'' || c == '-' || c == '.' || c == '!'; });
            OneEntryTable withoutPunctuation(entry);
            if (!withoutPunctuation.guess(bare))
                unsolvedBare.append(entry);
        }
    }
    EXPECT_GT(offered, 4000); // all but the refused ones
    EXPECT_TRUE(unsolvedWordByWord.isEmpty())
        << unsolvedWordByWord.size() << " unsolved word by word:\n"
        << joinedForMessage(unsolvedWordByWord);
    EXPECT_TRUE(unsolvedAtOnce.isEmpty()) << unsolvedAtOnce.size() << " unsolved at once:\n"
                                          << joinedForMessage(unsolvedAtOnce);
    EXPECT_TRUE(unsolvedBare.isEmpty()) << unsolvedBare.size() << " unsolved without punctuation:\n"
                                        << joinedForMessage(unsolvedBare);
}
