#include "client/settingsfile.h"
#include "client/windowgeometry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.toStdString() << '"';
}
namespace client {
void PrintTo(const Geometry& g, std::ostream* out)
{
    *out << "{left " << g.left << ", top " << g.top << ", " << g.width << "x" << g.height << "}";
}
} // namespace client

using namespace client;
using protocol::rgbColour;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void put(const QByteArray& text, const QString& file = {})
    {
        QFile out(file.isEmpty() ? path : file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(text), text.size());
    }
    QByteArray contents(const QString& file = {}) const
    {
        QFile in(file.isEmpty() ? path : file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }
    PlayerSettings read(int snapCount = 0) const { return readSettings(path, snapCount); }
    QStringList filesInFolder() const
    {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("zelklobby.ini"));
};

PlayerSettings someSettings()
{
    PlayerSettings s;
    s.geometry = {10, 20, 900, 600};
    s.textSize = 12;
    s.snapCount = 5;
    s.textColour = rgbColour(255, 0, 0);
    s.actionColour = rgbColour(1, 2, 3);
    s.playSounds = false;
    s.chatterSounds = true;
    return s;
}

// --- Reading ---

TEST_F(SettingsFile, AFreshInstallationReadsTheDefaults)
{
    const PlayerSettings s = read(4);
    EXPECT_EQ(s.geometry, (Geometry{3, 3, 797, 541}));
    EXPECT_EQ(s.textSize, 8);
    EXPECT_EQ(s.snapCount, 4) << "a missing counter keeps its present value";
    EXPECT_EQ(s.textColour, rgbColour(128, 0, 0));
    EXPECT_EQ(s.actionColour, rgbColour(0, 0, 0));
    for (const QByteArray& phrase : s.phrases)
        EXPECT_TRUE(phrase.isEmpty());
    EXPECT_TRUE(s.playSounds);
    EXPECT_TRUE(s.chatterSounds);
    EXPECT_FALSE(QFile::exists(path)) << "reading creates no file";
}

TEST_F(SettingsFile, IntegersMayBeHexAndAnythingElseCountsAsMissing)
{
    put("[Quillon]\nTop=$1F\nLeft=0x10\nWidth=abc\nHeight=\nTextsize= 12 \nSnapcount=7x\n");
    PlayerSettings s = read(2);
    EXPECT_EQ(s.geometry, (Geometry{16, 31, 797, 541}));
    EXPECT_EQ(s.textSize, 12);
    EXPECT_EQ(s.snapCount, 2);

    put("[Quillon]\nLeft=-20\nTop=1.5\nSnapcount=$FF\nTextsize=99999999999\n");
    s = read(0);
    EXPECT_EQ(s.geometry.left, -20) << "a window may stand partly off the left edge";
    EXPECT_EQ(s.geometry.top, 3);
    EXPECT_EQ(s.snapCount, 255);
    EXPECT_EQ(s.textSize, 8) << "out of range is not a number";
}

TEST_F(SettingsFile, SoundsAreOffOnlyForTheExactTextFalse)
{
    put("[Quillon]\nPlaysounds=false\nChatterSounds=False\n");
    EXPECT_FALSE(read().playSounds);
    EXPECT_TRUE(read().chatterSounds);

    put("[Quillon]\nPlaysounds=FALSE\nChatterSounds=false\n");
    EXPECT_TRUE(read().playSounds);
    EXPECT_FALSE(read().chatterSounds);

    put("[Quillon]\nPlaysounds=0\nChatterSounds=\n");
    EXPECT_TRUE(read().playSounds);
    EXPECT_TRUE(read().chatterSounds);
}

TEST_F(SettingsFile, ColoursAreColourTextsAndNonsenseGivesMaroonAndBlack)
{
    put("[Quillon]\nTextcolor=clNavy\nActioncolor=$00804020\n");
    EXPECT_EQ(read().textColour, rgbColour(0, 0, 128));
    EXPECT_EQ(read().actionColour, rgbColour(0x20, 0x40, 0x80));

    put("[Quillon]\nTextcolor=CLLIME\nActioncolor=255\n");
    EXPECT_EQ(read().textColour, rgbColour(0, 255, 0));
    EXPECT_EQ(read().actionColour, rgbColour(255, 0, 0));

    put("[Quillon]\nTextcolor=purple\nActioncolor=clNoSuchColour\n");
    EXPECT_EQ(read().textColour, rgbColour(128, 0, 0));
    EXPECT_EQ(read().actionColour, rgbColour(0, 0, 0));

    put("[Quillon]\nTextcolor=\nActioncolor=\n");
    EXPECT_EQ(read().textColour, rgbColour(128, 0, 0));
    EXPECT_EQ(read().actionColour, rgbColour(0, 0, 0));
}

TEST_F(SettingsFile, NonEmptyPhrasesReplaceTheButtonTexts)
{
    put("[Quillon]\nPhrase1=Nice one!\nPhrase3=\nPhrase9=Caf\xE9 time\n");
    const PlayerSettings s = read();
    EXPECT_EQ(s.phrases[0], "Nice one!");
    EXPECT_EQ(s.phrases[8], "Caf\xE9 time") << "Windows-1252 bytes arrive unchanged";
    for (size_t i = 1; i < 8; ++i)
        EXPECT_TRUE(s.phrases[i].isEmpty()) << "phrase " << i + 1;
}

TEST_F(SettingsFile, SectionAndKeyNamesAreFoundInAnyLetterCase)
{
    put("[Lobby]\nTop=77\n[QUILLON]\ntop=40\nTEXTSIZE=14\nplaysounds=false\n");
    const PlayerSettings s = read();
    EXPECT_EQ(s.geometry.top, 40);
    EXPECT_EQ(s.textSize, 14);
    EXPECT_FALSE(s.playSounds);
}

TEST_F(SettingsFile, AnUnreadableFileReadsAsDefaults)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("zelklobby.ini")));
    PlayerSettings defaults;
    defaults.snapCount = 3;
    EXPECT_EQ(read(3), defaults);
}

TEST_F(SettingsFile, TextSizesAndTheSnapshotCounterAreKeptInTheirRanges)
{
    put("[Quillon]\nTextsize=14\nSnapcount=999999\n");
    EXPECT_EQ(read().textSize, 14);
    EXPECT_EQ(read().snapCount, 999999);

    put("[Quillon]\nTextsize=400\nSnapcount=2147483647\n");
    EXPECT_EQ(read().textSize, 8) << "an absurd size reads as the default";
    EXPECT_EQ(read().snapCount, kLastSnapshotNumber) << "a full counter, never one past int";

    put("[Quillon]\nTextsize=-12\nSnapcount=-2147483648\n");
    EXPECT_EQ(read().textSize, 8);
    EXPECT_EQ(read().snapCount, 0);
    put("[Quillon]\n");
    EXPECT_EQ(read(-7).snapCount, 0) << "the present value is kept in range too";
}

// A settings file that is no settings file: read promptly as the defaults with the reason,
// never written over. A FIFO that were opened would block this test until its timeout.
TEST_F(SettingsFile, AFifoADeviceOrAHugeFileIsRefusedAndLeftAsItWas)
{
    const auto refusedAndKept = [&](const char* what, const char* reason) {
        std::optional<QString> failure;
        EXPECT_EQ(readSettings(path, 4, &failure).snapCount, 4) << what;
        ASSERT_TRUE(failure.has_value()) << what;
        EXPECT_TRUE(failure->contains(path) && failure->contains(QLatin1String(reason)))
            << what << ": " << failure->toStdString();
        EXPECT_EQ(writeSettings(path, someSettings()), QStringLiteral("Unable to write to ") + path)
            << what;
        EXPECT_EQ(writePhrases(path, {}), QStringLiteral("Unable to write to ") + path) << what;
    };

    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));
    refusedAndKept("a link to /dev/zero", "not a regular file");
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/zero"));
    ASSERT_TRUE(QFile::remove(path));

    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    refusedAndKept("a FIFO", "not a regular file");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    ASSERT_TRUE(QFile::remove(path));

    const QByteArray huge = "[Quillon]\nSnapcount=41\n" + QByteArray(2 * 1024 * 1024, ';');
    put(huge);
    refusedAndKept("a 2 MiB file", "larger than 1 MiB");
    EXPECT_EQ(contents(), huge);
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("zelklobby.ini")});

    put("[Quillon]\nSnapcount=41\n" + QByteArray(1024 * 1024 - 30, ';'));
    EXPECT_EQ(read().snapCount, 41) << "just under the bound is read";
}

// --- Writing ---

TEST_F(SettingsFile, ANewFileHoldsOurSectionInTheFixedKeyOrder)
{
    PlayerSettings s = someSettings();
    s.phrases[0] = "not written by the settings save";
    ASSERT_EQ(writeSettings(path, s), std::nullopt);
    EXPECT_EQ(contents(), "[Quillon]\nTop=20\nLeft=10\nWidth=900\nHeight=600\nTextsize=12\n"
                          "Snapcount=5\nTextcolor=clRed\nActioncolor=$00030201\n"
                          "Playsounds=false\nChatterSounds=true\n");
}

TEST_F(SettingsFile, WrittenSettingsReadBackTheSame)
{
    PlayerSettings s = someSettings();
    s.phrases[1] = "Hello there";
    s.phrases[8] = "Caf\xE9";
    ASSERT_EQ(writeSettings(path, s), std::nullopt);
    ASSERT_EQ(writePhrases(path, s.phrases), std::nullopt);
    EXPECT_EQ(read(), s);

    s.chatterSounds = false;
    s.playSounds = true;
    s.geometry.left = -4;
    ASSERT_EQ(writeSettings(path, s), std::nullopt);
    EXPECT_EQ(read(), s);
}

TEST_F(SettingsFile, KeepingEveryAlbumLivesInASectionOfItsOwn)
{
    PlayerSettings s = someSettings();
    s.saveEveryAlbum = true;
    ASSERT_EQ(writeSettings(path, s), std::nullopt);
    EXPECT_TRUE(contents().endsWith("ChatterSounds=true\n\n[Album]\nSaveEveryGame=true\n"))
        << contents().constData();
    EXPECT_TRUE(read().saveEveryAlbum);
    s.saveEveryAlbum = false;
    ASSERT_EQ(writeSettings(path, s), std::nullopt);
    EXPECT_TRUE(contents().endsWith("[Album]\nSaveEveryGame=false\n"));
    EXPECT_FALSE(read().saveEveryAlbum);
}

TEST_F(SettingsFile, TheLobbysPartOfTheFileSurvivesByteForByte)
{
    put("; zelklobby settings\r\n"
        "\r\n"
        "[Lobby]\r\n"
        "Name = Bob\r\n"
        "Top=500\r\n"
        "\r\n"
        "; the game's own section\r\n"
        "[quillon]\r\n"
        "TOP=5\r\n"
        "Phrase2=Hello there\r\n"
        "  width =  100   \r\n"
        "\r\n"
        "[Colours]\r\n"
        "# kept as the lobby wrote it\r\n"
        "Back=clTeal\r\n"
        "Odd line without equals\r\n");
    ASSERT_EQ(writeSettings(path, someSettings()), std::nullopt);
    EXPECT_EQ(contents(), "; zelklobby settings\r\n"
                          "\r\n"
                          "[Lobby]\r\n"
                          "Name = Bob\r\n"
                          "Top=500\r\n"
                          "\r\n"
                          "; the game's own section\r\n"
                          "[quillon]\r\n"
                          "TOP=20\r\n"
                          "Phrase2=Hello there\r\n"
                          "  width =  900\r\n"
                          "Left=10\r\n"
                          "Height=600\r\n"
                          "Textsize=12\r\n"
                          "Snapcount=5\r\n"
                          "Textcolor=clRed\r\n"
                          "Actioncolor=$00030201\r\n"
                          "Playsounds=false\r\n"
                          "ChatterSounds=true\r\n"
                          "\r\n"
                          "[Colours]\r\n"
                          "# kept as the lobby wrote it\r\n"
                          "Back=clTeal\r\n"
                          "Odd line without equals\r\n");
    EXPECT_EQ(read().phrases[1], "Hello there");
}

TEST_F(SettingsFile, AFileWithoutOurSectionGetsItAtTheEnd)
{
    put("[Lobby]\r\nName=Bob");
    ASSERT_EQ(writePhrases(
                  path, {"one", "two", "three", "four", "five", "six", "seven", "eight", "nine"}),
              std::nullopt);
    EXPECT_EQ(contents(), "[Lobby]\r\nName=Bob\r\n\r\n[Quillon]\r\nPhrase1=one\r\nPhrase2=two\r\n"
                          "Phrase3=three\r\nPhrase4=four\r\nPhrase5=five\r\nPhrase6=six\r\n"
                          "Phrase7=seven\r\nPhrase8=eight\r\nPhrase9=nine\r\n");
}

TEST_F(SettingsFile, SavingThePhrasesLeavesTheOtherSettingsAlone)
{
    put("[Quillon]\nTop=7\nPhrase1=old\nPlaysounds=false\n");
    std::array<QByteArray, kPhraseCount> phrases;
    phrases[0] = "new";
    ASSERT_EQ(writePhrases(path, phrases), std::nullopt);
    EXPECT_EQ(contents(), "[Quillon]\nTop=7\nPhrase1=new\nPlaysounds=false\nPhrase2=\nPhrase3=\n"
                          "Phrase4=\nPhrase5=\nPhrase6=\nPhrase7=\nPhrase8=\nPhrase9=\n");
}

TEST_F(SettingsFile, OddLinesNeitherConfuseReadingNorGetLostWhenWriting)
{
    // A UTF-8 signature, an unfinished header, keys before any header, a key given twice
    // (the last counts), lines that are no entries, and no line break at the very end.
    const QByteArray before = "\xEF\xBB\xBF[Quillon\n"
                              "Top=99\n"
                              "[Quillon]\n"
                              "Textsize=10\n"
                              "Textsize=12\n"
                              "=7\n"
                              "junk\n"
                              "[Other]\n"
                              "Top=1";
    put(before);
    EXPECT_EQ(read().geometry.top, 3);
    EXPECT_EQ(read().textSize, 12);

    PlayerSettings s;
    s.geometry.top = 50;
    s.textSize = 14;
    ASSERT_EQ(writeSettings(path, s), std::nullopt);
    EXPECT_EQ(contents(), "\xEF\xBB\xBF[Quillon\n"
                          "Top=99\n"
                          "[Quillon]\n"
                          "Textsize=10\n"
                          "Textsize=14\n"
                          "Top=50\n"
                          "Left=3\n"
                          "Width=797\n"
                          "Height=541\n"
                          "Snapcount=0\n"
                          "Textcolor=clMaroon\n"
                          "Actioncolor=clBlack\n"
                          "Playsounds=true\n"
                          "ChatterSounds=true\n"
                          "=7\n"
                          "junk\n"
                          "[Other]\n"
                          "Top=1");
    EXPECT_EQ(read(), s);
}

TEST_F(SettingsFile, APhraseCannotBreakTheFileApart)
{
    std::array<QByteArray, kPhraseCount> phrases;
    phrases[0] = "line one\r\n[Evil]\nTop=1";
    phrases[1] = QByteArray("nul\0byte", 8);
    ASSERT_EQ(writePhrases(path, phrases), std::nullopt);
    const PlayerSettings s = read();
    EXPECT_EQ(s.phrases[0], "line one  [Evil] Top=1");
    EXPECT_EQ(s.phrases[1], "nul byte");
    EXPECT_EQ(s.geometry.top, 3);
    EXPECT_EQ(contents().count('\n'), 10) << contents().constData();
}

TEST_F(SettingsFile, TheFileKeepsItsPermissions)
{
    put("[Quillon]\nTop=1\n");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, mode));
    ASSERT_EQ(writeSettings(path, someSettings()), std::nullopt);
    // Owner, group and others; the "user" flags describe whoever runs the test.
    const auto userFlags = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFile::permissions(path) & ~userFlags, mode);
}

// --- Writing fails: a message, and nothing on disk changes ---

TEST_F(SettingsFile, AReadOnlyFileIsReportedAndLeftAsItWas)
{
    const QByteArray before = "[Lobby]\nName=Bob\n[Quillon]\nTop=1\n";
    put(before);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
    EXPECT_EQ(writeSettings(path, someSettings()), QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(writePhrases(path, {}), QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("zelklobby.ini")})
        << "no temporary file is left behind";
}

TEST_F(SettingsFile, AFolderWhereTheFileShouldBeIsReportedAndLeftAsItWas)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("zelklobby.ini")));
    const QString inside = QDir(path).filePath(QStringLiteral("lobby.dat"));
    put("lobby data", inside);

    EXPECT_EQ(writeSettings(path, someSettings()), QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(writePhrases(path, {}), QStringLiteral("Unable to write to ") + path);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(contents(inside), "lobby data");
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("zelklobby.ini")});
}

TEST_F(SettingsFile, AFileWhereTheFolderShouldBeIsReportedAndLeftAsItWas)
{
    const QString notAFolder = folder.filePath(QStringLiteral("program"));
    put("an ordinary file", notAFolder);
    const QString target = QDir(notAFolder).filePath(QStringLiteral("zelklobby.ini"));

    EXPECT_EQ(writeSettings(target, someSettings()),
              QStringLiteral("Unable to write to ") + target);
    EXPECT_EQ(contents(notAFolder), "an ordinary file");
    EXPECT_EQ(readSettings(target, 0), PlayerSettings{});
}

// --- Window geometry ---

const QRect kWorkArea(0, 0, 1920, 1040);

TEST(WindowGeometry, ClosingAnUnchangedWindowStoresNothing)
{
    EXPECT_EQ(geometryToStore({3, 3, 797, 541}, {3, 3, 797, 541}, kWorkArea), std::nullopt);
    EXPECT_EQ(geometryToStore({-5, 700, 1000, 400}, {-5, 700, 1000, 400}, kWorkArea), std::nullopt);
}

TEST(WindowGeometry, AMovedOrResizedWindowIsStoredAsItStands)
{
    EXPECT_EQ(geometryToStore({100, 50, 797, 541}, {3, 3, 797, 541}, kWorkArea),
              (Geometry{100, 50, 797, 541}));
    EXPECT_EQ(geometryToStore({3, 3, 900, 541}, {3, 3, 797, 541}, kWorkArea),
              (Geometry{3, 3, 900, 541}));
    // A window that never read the file remembers all zeros, so it always stores.
    EXPECT_EQ(geometryToStore({3, 3, 797, 541}, Geometry{}, kWorkArea), (Geometry{3, 3, 797, 541}));
}

TEST(WindowGeometry, StoredGeometryIsKeptOnTheDesktop)
{
    EXPECT_EQ(keptOnScreen({3, 3, 797, 541}, kWorkArea), (Geometry{3, 3, 797, 541}));
    EXPECT_EQ(keptOnScreen({10, 20, 30000, 30000}, kWorkArea), (Geometry{0, 0, 1920, 1040}))
        << "no larger than the work area";
    EXPECT_EQ(keptOnScreen({-50000, 90000, 900, 600}, kWorkArea), (Geometry{0, 440, 900, 600}))
        << "moved back into view";
    EXPECT_EQ(keptOnScreen({1900, 1000, 0, -5}, kWorkArea), (Geometry{1128, 543, 792, 497}))
        << "no smaller than the window's least size";
    EXPECT_EQ(keptOnScreen({2147483647, -2147483647 - 1, 2147483647, 2147483647},
                           QRect(1920, 0, 1280, 1024)),
              (Geometry{1920, 0, 1280, 1024}))
        << "a second screen's work area; extremes do not overflow";
    EXPECT_EQ(keptOnScreen({5, 5, 797, 541}, QRect(0, 0, 640, 480)), (Geometry{0, 0, 640, 480}))
        << "a screen smaller than the window's least size";
}

TEST(WindowGeometry, AnOversizedWindowGivesUp15PixelsOnceInEachDirection)
{
    // A maximised window's frame reaches past the work area on every side.
    EXPECT_EQ(geometryToStore({-8, -8, 1936, 1056}, {3, 3, 797, 541}, kWorkArea),
              (Geometry{-8, -8, 1921, 1041}));
    EXPECT_EQ(geometryToStore({0, 0, 2500, 500}, {3, 3, 797, 541}, kWorkArea),
              (Geometry{0, 0, 2485, 500}))
        << "once, not until it fits";
    EXPECT_EQ(geometryToStore({0, 0, 800, 1100}, {3, 3, 797, 541}, kWorkArea),
              (Geometry{0, 0, 800, 1085}));
    EXPECT_EQ(geometryToStore({0, 0, 1920, 1040}, {3, 3, 797, 541}, kWorkArea),
              (Geometry{0, 0, 1920, 1040}))
        << "exactly as large as the work area is not larger";
}

} // namespace
