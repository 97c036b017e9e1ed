// The evening's album: the turns a window watched, shown at the game's end, replayed from
// what the board was told, saved as a page with its pictures, and a turn's time-lapse
// exported as an animated WebP whose every frame is the board's pixels.
#include "client/albumpanel.h"
#include "client/boardpicture.h"
#include "client/drawingboard.h"
#include "client/tchat.h"
#include "client/timelapseexport.h"
#include "support/eventloop.h"

#include "fakeservices.h"
#include "ui_tchat.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>

#include <algorithm>
#include <gtest/gtest.h>
#include <webp/demux.h>

using namespace clienttest;

namespace {

QList<QByteArray> line(const QByteArray& pen, int y, int length)
{
    QByteArray points;
    for (int x = 20; x < 20 + length; x += 2)
        points += QByteArray::number(x) + ',' + QByteArray::number(y + x % 7) + '+';
    return {"CMD_moveit+" + pen + "+20+" + QByteArray::number(y),
            "CMD_draw+" + pen + "++" + points};
}

class Album : public ::testing::Test, public WindowUnderTest {
protected:
    // Bob in slot 2 watches a game of two turns: Ann draws a red line and Bob solves it;
    // Cy draws blue, wipes it, draws green, and nobody solves it. Then Bob wins.
    void playAGame()
    {
        host("CMD_sendlogininfo+2");
        host("CMD_newplayerinfo+2+Bob");
        host("CMD_existingplayers+1+Ann");
        host("CMD_existingplayers+3+Cy");
        host("CMD_startgame+1+false+20+60");
        host("CMD_nextplayer+1+0+_____ ");
        for (const QByteArray& m : line("1+clRed+6", 100, 400))
            host(m);
        host("CMD_correctanswer+2+2+1+1+BACON");
        host("CMD_nextplayer+3+0+___ ___ ");
        for (const QByteArray& m : line("3+clBlue+9", 200, 300))
            host(m);
        host("CMD_clearmain+3");
        for (const QByteArray& m : line("3+clLime+4", 300, 200))
            host(m);
        host("CMD_updateanswer+true+HOT DOG");
        host("CMD_winner+Bob");
    }
    client::AlbumPanel& album() { return window->album(); }
    client::DrawingBoard& board() { return *window->ui().image_main; }
    template <class T> T* part(const char* name)
    {
        return window->findChild<T*>(QLatin1String(name));
    }
    static bool blueAt(const QImage& picture)
    {
        const QColor c = picture.pixelColor(200, 202);
        return c.blue() > 200 && c.red() < 100;
    }
};

// Every frame of an animated WebP, as the decoder gives it, with its end time.
std::vector<std::pair<QImage, int>> decodeFrames(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()),
                  static_cast<size_t>(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    std::vector<std::pair<QImage, int>> frames;
    if (!decoder)
        return frames;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    uint8_t* pixels = nullptr;
    int timestamp = 0;
    while (WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
        const QImage frame(pixels, static_cast<int>(info.canvas_width),
                           static_cast<int>(info.canvas_height), QImage::Format_ARGB32);
        frames.emplace_back(frame.convertToFormat(QImage::Format_RGB32), timestamp);
    }
    WebPAnimDecoderDelete(decoder);
    return frames;
}

} // namespace

TEST_F(Album, TheGamesEndShowsTheRankingAndEveryTurnAndAClickShowsOneLarge)
{
    playAGame();
    const auto& turns = album().album().turns();
    ASSERT_EQ(turns.size(), 2u);
    EXPECT_EQ(turns[0].caption(),
              (QStringList{QStringLiteral("1. BACON"), QStringLiteral("drawn by Ann"),
                           QStringLiteral("solved by Bob")}));
    EXPECT_EQ(turns[1].caption(),
              (QStringList{QStringLiteral("2. HOT DOG"), QStringLiteral("drawn by Cy"),
                           QStringLiteral("nobody solved it")}));
    // The pictures as they stood when the phrase was revealed: the wiped blue is gone.
    EXPECT_GT(turns[0].picture().pixelColor(200, 102).red(), 200);
    EXPECT_FALSE(blueAt(turns[1].picture()));
    EXPECT_EQ(turns[1].picture(), board().picture());

    auto* ranking = part<QLabel>("album_ranking");
    auto* strip = part<QListWidget>("album_strip");
    ASSERT_TRUE(ranking && strip);
    EXPECT_TRUE(ranking->isVisibleTo(window.get()));
    EXPECT_TRUE(ranking->text().startsWith(QStringLiteral("Final ranking\n1. Bob  2\n")))
        << qPrintable(ranking->text());
    EXPECT_EQ(strip->count(), 2);
    EXPECT_TRUE(window->ui().panel_winner1->isVisibleTo(window.get()));

    strip->setCurrentRow(0);
    EXPECT_EQ(board().picture(), turns[0].picture());
    EXPECT_FALSE(window->ui().panel_winner1->isVisibleTo(window.get()));

    // The next game starts with an empty album, and its first turn puts the panel away.
    host("CMD_startgame+1+false+20+60");
    host("CMD_nextplayer+1+0+_____ ");
    EXPECT_TRUE(album().album().empty());
    EXPECT_FALSE(strip->isVisibleTo(window.get()));
}

TEST_F(Album, AReplayPaintsTheTurnAgainFromWhatTheBoardWasTold)
{
    playAGame();
    album().showTurn(1);
    album().replay();
    ASSERT_TRUE(album().replaying());
    // The wiped blue line shows on the way, and the turn ends as it was revealed.
    bool sawBlue = false;
    ASSERT_TRUE(support::spinUntil(
        [&] {
            sawBlue = sawBlue || blueAt(board().picture());
            return !album().replaying();
        },
        30000)); // a replay takes about five seconds
    EXPECT_TRUE(sawBlue);
    EXPECT_EQ(board().picture(), album().album().turns()[1].picture());
}

TEST_F(Album, TheSavedAlbumIsAPageAndEveryPictureOrNothing)
{
    playAGame();
    // Where the snapshots folder should be, a file stands: nothing is written, the box says why.
    const QString blocked = dir.filePath(QStringLiteral("blocked"));
    QFile(blocked).open(QIODevice::WriteOnly);
    snapshots.folderPath = blocked;
    EXPECT_TRUE(album().saveAlbum().has_value());
    EXPECT_EQ(dialogs.shown.size(), 1);

    snapshots.folderPath = dir.filePath(QStringLiteral("snapshots"));
    ASSERT_EQ(album().saveAlbum(), std::nullopt);
    const QDir snaps(snapshots.folderPath);
    const QStringList albums = snaps.entryList({QStringLiteral("Album *")}, QDir::Dirs);
    ASSERT_EQ(albums.size(), 1);
    const QDir saved(snaps.filePath(albums.front()));
    EXPECT_EQ(saved.entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Album.png"), QStringLiteral("Turn 01.jpg"),
                           QStringLiteral("Turn 02.jpg")}));
    const QImage page(saved.filePath(QStringLiteral("Album.png")));
    EXPECT_GT(page.width(), 533);
    const QImage first(saved.filePath(QStringLiteral("Turn 01.jpg")));
    ASSERT_EQ(first.size(), QSize(533, 369));
    EXPECT_GT(first.pixelColor(200, 102).red(), 180);
    EXPECT_LT(first.pixelColor(200, 102).green(), 90);
    EXPECT_TRUE(window->ui().mainchat->toPlainText().contains(QStringLiteral("Album saved: ")));
}

TEST_F(Album, AnExportedTimeLapseDecodesToTheReplaysFramesExactly)
{
    playAGame();
    snapshots.folderPath = dir.filePath(QStringLiteral("snapshots"));
    QSignalSpy exported(&album(), &client::AlbumPanel::exported);
    album().showTurn(1);
    album().exportTimeLapse();
    ASSERT_TRUE(support::spinUntil([&] { return !exported.isEmpty(); }, 30000));
    const QString path = exported.front().front().toString();
    EXPECT_TRUE(path.endsWith(QStringLiteral("turn 2.webp"))) << qPrintable(path);

    // The frames a board painting the turn's log step by step shows, then the finished turn.
    const client::AlbumTurn& turn = album().album().turns()[1];
    client::BoardPicture expected;
    client::TimeLapse steps(turn.log, client::TimeLapseExport::kFrames);
    std::vector<QImage> wanted;
    while (steps.paintNext(expected))
        wanted.push_back(expected.picture());
    wanted.push_back(turn.picture());
    // The encoder shows a frame that repeats the one before as a longer one.
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());

    const auto frames = decodeFrames(path);
    ASSERT_EQ(frames.size(), wanted.size());
    bool blueOnTheWay = false;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(frames[i].first == wanted[i]) << "frame " << i;
        blueOnTheWay = blueOnTheWay || blueAt(frames[i].first);
    }
    EXPECT_TRUE(blueOnTheWay);
    EXPECT_EQ(frames.back().second, steps.steps() * client::TimeLapseExport::kFrameMs +
                                        client::TimeLapseExport::kLastFrameMs);

    // Stopped, an export leaves no file.
    QSignalSpy finished(&album(), &client::AlbumPanel::exported);
    const QStringList before = QDir(snapshots.folderPath).entryList(QDir::Files);
    album().showTurn(0);
    album().exportTimeLapse();
    album().stopExport();
    ASSERT_TRUE(support::spinUntil([&] { return !album().exporting(); }, 30000));
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(QDir(snapshots.folderPath).entryList(QDir::Files), before);
}
