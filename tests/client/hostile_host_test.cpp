// The player window against a host that sends what no honest host would: strokes of absurd
// width, endless announcements, and more than the window can handle at once. (The real
// window meets markup and malformed lines on a desktop of its own, in tests/e2e.)
#include "client/clientconnection.h"
#include "client/tchat.h"
#include "protocol/message.h"
#include "support/eventloop.h"

#include "fakeservices.h"
#include "ui_tchat.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace clienttest;

namespace {

QByteArray term(const QByteArray& line)
{
    return line + protocol::kTerminator;
}

class HostileHost : public ::testing::Test, public WindowUnderTest {
protected:
    HostileHost()
    {
        host("CMD_sendlogininfo+2");
        host("CMD_newplayerinfo+2+Bob");
    }
    Ui::Tchat& ui() { return window->ui(); }
};

} // namespace

TEST_F(HostileHost, StrokeWidthsAndCoordinatesAreBoundedBeforeTheyArePainted)
{
    host("CMD_moveit+3+clBlack+8000000+200+184");
    host("CMD_draw+3+clBlack+8000000++330,184+");
    const QImage& board = ui().image_main->picture();
    EXPECT_EQ(board.pixelColor(266, 184 + 40), QColor(Qt::black));
    EXPECT_EQ(board.pixelColor(266, 184 + 60), QColor(Qt::white)); // width 100, not 8,000,000
    host("CMD_clearmain+3");
    host("CMD_moveit+3+clBlack+3+100+100");
    host("CMD_draw+3+clBlack+3++2147483647,100+-2147483648,300+");
    EXPECT_EQ(board.pixelColor(500, 100), QColor(Qt::black)); // towards x = 10,000
    EXPECT_EQ(board.pixelColor(266, 197), QColor(Qt::black)); // back across the board
}

TEST_F(HostileHost, RepeatedAnnouncementsKeepTheListsBounded)
{
    for (int i = 0; i < 3000; ++i)
        host("CMD_newplayerinfo+12+Spy" + QByteArray::number(i));
    host("CMD_newplayerinfo+99999+Nobody");
    EXPECT_EQ(window->roster().spectatorEntries(), QStringList{QStringLiteral("12: Spy2999")});
    EXPECT_EQ(ui().mainchat->document()->blockCount(), client::ChatView::kMaxLines);
    EXPECT_EQ(ui().mainchat->document()->lastBlock().text(),
              QStringLiteral("Nobody is Connected."));
}

TEST_F(HostileHost, AHostRepeatingThatTheGameIsFullOpensOneBoxAndIsNotHeardAfterIt)
{
    for (int i = 0; i < 5; ++i)
        host("CMD_full+");
    host("CMD_chat+Bob: still here|clRed");
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("Game is full")});
    EXPECT_FALSE(ui().mainchat->toPlainText().contains(QStringLiteral("still here")));
}

// A real socket: a host that writes far more than the window handles stalls on TCP's flow
// control while the window holds its reading, and every line arrives, in order.
TEST(HostileHostFlood, TheWindowStopsReadingAFullQueueAndLosesNothing)
{
    struct Sink : client::MessageSink {
        void handleMessage(protocol::MessageId, const QByteArray& payload) override
        {
            numbers.append(payload.left(payload.indexOf('|')).toInt());
            peakQueued = std::max(peakQueued, connection->queuedBytes());
            held = held || connection->readingHeld();
        }
        client::ClientConnection* connection = nullptr;
        QList<int> numbers;
        qsizetype peakQueued = 0;
        bool held = false;
    } sink;
    client::ClientConnection connection(sink);
    sink.connection = &connection;

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    connection.open(QStringLiteral("127.0.0.1"), server.serverPort());
    ASSERT_TRUE(server.waitForNewConnection(5000));
    QTcpSocket* host = server.nextPendingConnection();

    constexpr int kLines = 2500; // 10 MB of chat lines of 4 KB
    const QByteArray filler(4000, 'f');
    int written = 0;
    ASSERT_TRUE(support::spinUntil(
        [&] {
            while (written < kLines && host->bytesToWrite() < 256 * 1024)
                host->write(term("CMD_chat+" + QByteArray::number(written++) + '|' + filler));
            return sink.numbers.size() == kLines;
        },
        60000));
    QList<int> expected;
    for (int i = 0; i < kLines; ++i)
        expected.append(i);
    EXPECT_EQ(sink.numbers, expected);
    EXPECT_TRUE(sink.held);
    EXPECT_LE(sink.peakQueued, client::ClientConnection::kMaxQueuedBytes + net::TSock::kReadChunk +
                                   protocol::kMaxEntryLength);
}
