// quillon-host playing from a folder of word lists given with --words, and refusing a bad
// one before it opens its port.
#include "livehost.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace integration;

namespace {

struct ListPhrase {
    QByteArray file;   // as written to the list, UTF-8
    QByteArray drawer; // what the drawer is given, Windows-1252
    QByteArray mask;   // what everybody else sees
};

// One phrase a list, each of its own shape, so a turn tells which list it came from.
const ListPhrase kPhrases[] = {
    {"zebra crossing", "ZEBRA CROSSING", "_____ ________ "},
    {"juggling", "JUGGLING", "________ "},
    {"piece of cake", "PIECE OF CAKE", "_____ __ ____ "},
    {"rock n' roll", "ROCK N' ROLL", "____ _' ____ "},
    {"jaws 2", "JAWS 2", "____ 2 "},
    {"mr bean", "MR BEAN", "__ ____ "},
    {"p\xC3\xA2t\xC3\xA9 chaud", "P\xE2T\xE9 CHAUD", "____ _____ "}, // UTF-8 in the file
};

bool writeFolder(const QTemporaryDir& dir, int badList = -1, const QByteArray& bad = {})
{
    for (int n = 0; n < 7; ++n) {
        QFile file(dir.filePath(QStringLiteral("wordlist%1.txt").arg(n)));
        const QByteArray text = n == badList ? bad : kPhrases[n].file + '\n';
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return false;
    }
    return true;
}

} // namespace

class OwnWords : public LiveHost {
protected:
    OwnWords() { folderWritten = dir.isValid() && writeFolder(dir); }

    QStringList hostArguments() const override
    {
        return LiveHost::hostArguments() + QStringList{QStringLiteral("--words"), dir.path()};
    }

    QTemporaryDir dir;
    bool folderWritten = false;
};

TEST_F(OwnWords, ATurnIsPlayedWithThePhraseOfItsCategorysList)
{
    ASSERT_TRUE(folderWritten);
    Peer* ann = join("Ann");
    Peer* bo = join("Bo");
    ASSERT_TRUE(ann && bo);
    ann->send("CMD_startgame+1+false+10+600");
    // The category is the drawer's pick, or drawn when the picking time runs out: either
    // way the turn announces it, and its phrase must be that list's.
    const std::optional<QByteArray> next = waitForNext(*bo, "CMD_nextplayer");
    ASSERT_TRUE(next);
    const QList<QByteArray> fields = support::messagePayload(*next).split('+');
    ASSERT_EQ(fields.size(), 3) << next->toStdString();
    EXPECT_EQ(fields[0], "1");
    const int category = fields[1].toInt();
    ASSERT_TRUE(category >= 0 && category < 7) << next->toStdString();
    const ListPhrase& expected = kPhrases[category];
    EXPECT_EQ(fields[2], expected.mask);
    const std::optional<QByteArray> given = waitForNext(*ann, "CMD_givedraweranswer");
    ASSERT_TRUE(given);
    EXPECT_EQ(support::messagePayload(*given), expected.drawer);

    // Guessing it solves the turn, as with a built-in phrase.
    bo->send("CMD_answer+" + bo->slotText() + '+' + expected.drawer);
    const std::optional<QByteArray> correct = waitForNext(*ann, "CMD_correctanswer");
    ASSERT_TRUE(correct);
    EXPECT_TRUE(correct->endsWith('+' + expected.drawer)) << correct->toStdString();
}

TEST(OwnWordsRefused, ABadListEndsTheHostBeforeItListensNamingFileAndLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeFolder(dir, 3, "blue suede shoes\nbell\x07ring\n"));
    QProcess host;
    host.setProcessChannelMode(QProcess::SeparateChannels);
    host.start(hostBinary(), {QStringLiteral("--port"), QStringLiteral("0"),
                              QStringLiteral("--words"), dir.path()});
    ASSERT_TRUE(host.waitForFinished(kWaitMs));
    const QString log = QString::fromUtf8(host.readAllStandardError());
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 2) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("wordlist3.txt line 2: a control character (0x07)")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("listening"))) << log.toStdString();

    // A folder that does not exist names the first list it misses.
    host.start(hostBinary(), {QStringLiteral("--port"), QStringLiteral("0"),
                              QStringLiteral("--words"), dir.filePath(QStringLiteral("none"))});
    ASSERT_TRUE(host.waitForFinished(kWaitMs));
    EXPECT_EQ(host.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(host.readAllStandardError())
                    .contains(QStringLiteral("wordlist0.txt: missing")));
}
