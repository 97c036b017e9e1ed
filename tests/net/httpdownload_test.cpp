// The lobby downloader's HTTP GET against a small server run by the test itself: the request
// the server sees, the body and the events of a good download, and how an error status, a
// broken or refused connection and the Stop button end one.
#include "net/httpdownload.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <ctime>
#include <gtest/gtest.h>
#include <memory>

namespace {

using net::HttpDownload;

// Answers the first connection with `head` and then `body`, the body in pieces a few
// milliseconds apart so it reaches the client in many reads. Stops sending after `stallAt`
// body bytes, leaving the connection open, or closes after `closeAt` body bytes.
class Server : public QObject {
public:
    QByteArray head;
    QByteArray body;
    qsizetype stallAt = -1;
    qsizetype closeAt = -1;
    QByteArray request; // everything received, once the blank line has come

    Server()
    {
        m_listener.listen(QHostAddress::LocalHost);
        QObject::connect(&m_listener, &QTcpServer::newConnection, this, [this] {
            m_peer.reset(m_listener.nextPendingConnection());
            QObject::connect(m_peer.get(), &QTcpSocket::readyRead, this, [this] { onRead(); });
        });
        QObject::connect(&m_pace, &QTimer::timeout, this, [this] { sendPiece(); });
    }

    QString url(const char* path = "/lobby/zlbsetup.exe") const
    {
        return QStringLiteral("http://127.0.0.1:%1%2")
            .arg(m_listener.serverPort())
            .arg(QLatin1StringView(path));
    }

private:
    void onRead()
    {
        m_received += m_peer->readAll();
        if (!request.isEmpty() || !m_received.contains("\r\n\r\n"))
            return;
        request = m_received;
        m_peer->write(head);
        m_pace.start(2);
    }

    void sendPiece()
    {
        constexpr qsizetype kPiece = 8192;
        qsizetype end = std::min(m_sent + kPiece, body.size());
        if (stallAt >= 0)
            end = std::min(end, stallAt);
        if (closeAt >= 0)
            end = std::min(end, closeAt);
        m_peer->write(body.mid(m_sent, end - m_sent));
        m_sent = end;
        if (m_sent == stallAt) {
            m_pace.stop();
        } else if (m_sent == body.size() || m_sent == closeAt) {
            m_pace.stop();
            m_peer->disconnectFromHost();
        }
    }

    QTcpServer m_listener;
    std::unique_ptr<QTcpSocket> m_peer;
    QTimer m_pace;
    QByteArray m_received;
    qsizetype m_sent = 0;
};

QByteArray randomBody(qsizetype size)
{
    QRandomGenerator random(7);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

QByteArray okHead(qsizetype length)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           QByteArray::number(length) + "\r\n\r\n";
}

// The events of a download as lines: "HTTP/1.0 200 OK" for a header line, "begin", "data 8192".
struct Events {
    QList<QByteArray> lines;
    qint64 lastCount = 0;

    explicit Events(HttpDownload& download)
    {
        QObject::connect(&download, &HttpDownload::headerLine,
                         [this](const QByteArray& line) { lines << line; });
        QObject::connect(&download, &HttpDownload::bodyBegins, [this] { lines << "begin"; });
        QObject::connect(&download, &HttpDownload::bodyData, [this](qint64 count) {
            lines << "data " + QByteArray::number(count);
            lastCount = count;
        });
    }
};

TEST(HttpDownload, GoodDownloadDeliversEveryByteInOrderWithItsEvents)
{
    Server server;
    server.body = randomBody(300 * 1024 + 123);
    server.head = okHead(server.body.size());
    HttpDownload download;
    Events events(download);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);

    download.abort(); // before a GET: no effect on the next one
    ASSERT_TRUE(download.get(server.url(), sink)) << download.error().toStdString();
    EXPECT_TRUE(download.error().isEmpty());
    EXPECT_EQ(sink.data(), server.body);
    EXPECT_EQ(download.received(), server.body.size());

    const QList<QByteArray> head = {"HTTP/1.0 200 OK", "Content-Type: application/octet-stream",
                                    "Content-Length: " + QByteArray::number(server.body.size()),
                                    "begin"};
    ASSERT_GT(events.lines.size(), head.size() + 5) << "the body came in too few blocks";
    EXPECT_EQ(events.lines.mid(0, head.size()), head);
    qint64 previous = 0;
    for (const QByteArray& line : events.lines.mid(head.size())) {
        ASSERT_TRUE(line.startsWith("data ")) << line.constData();
        const qint64 count = line.mid(5).toLongLong();
        EXPECT_GT(count, previous);
        previous = count;
    }
    EXPECT_EQ(previous, server.body.size());

    download.abort(); // after: nothing changes
    EXPECT_EQ(download.received(), server.body.size());
    EXPECT_TRUE(download.error().isEmpty());
}

TEST(HttpDownload, RequestIsExactlyTheThreeHeaderLinesAndIgnoresProxies)
{
    QTcpServer deadProxy;
    deadProxy.listen(QHostAddress::LocalHost);
    const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(deadProxy.serverPort());
    deadProxy.close();
    for (const char* name : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
        qputenv(name, proxy);
    const auto restore = qScopeGuard([] {
        for (const char* name : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            qunsetenv(name);
    });

    Server server;
    server.body = "MZ";
    server.head = okHead(2);
    HttpDownload download;
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    ASSERT_TRUE(download.get(server.url(), sink)) << download.error().toStdString();
    const QByteArray host = server.url().mid(7).section(u'/', 0, 0).toLatin1();
    EXPECT_EQ(server.request,
              "GET /lobby/zlbsetup.exe HTTP/1.0\r\n"
              "Host: " +
                  host +
                  "\r\n"
                  "User-Agent: Mozilla/3.0 (compatible)\r\n"
                  "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
                  "\r\n");
}

TEST(HttpDownload, ErrorStatusFailsWithItsHeadToldAndNoBodyWritten)
{
    Server server;
    server.head = "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n";
    server.body = "<html><body>No such installer</body></html>";
    HttpDownload download;
    Events events(download);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);

    EXPECT_FALSE(download.get(server.url(), sink));
    EXPECT_TRUE(download.error().contains(u"404 Not Found")) << download.error().toStdString();
    EXPECT_EQ(events.lines,
              QList<QByteArray>({"HTTP/1.0 404 Not Found", "Content-Type: text/html"}));
    EXPECT_TRUE(sink.data().isEmpty());
    EXPECT_EQ(download.received(), 0);
}

TEST(HttpDownload, BodyCutShortFailsAndKeepsWhatArrived)
{
    Server server;
    server.body = randomBody(100000);
    server.head = okHead(server.body.size());
    server.closeAt = 40000;
    HttpDownload download;
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);

    EXPECT_FALSE(download.get(server.url(), sink));
    EXPECT_FALSE(download.error().isEmpty());
    EXPECT_EQ(sink.data(), server.body.left(40000));
    EXPECT_EQ(download.received(), 40000);
}

// A file that takes only so many bytes, like a disk that fills up.
class FullDisk : public QIODevice {
public:
    explicit FullDisk(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }
    QByteArray data;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* bytes, qint64 size) override
    {
        if (data.size() + size > m_room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        data.append(bytes, size);
        return size;
    }

private:
    qint64 m_room;
};

TEST(HttpDownload, FileThatTakesNoMoreFailsTheDownloadWithItsReason)
{
    Server server;
    server.body = randomBody(256 * 1024);
    server.head = okHead(server.body.size());
    HttpDownload download;
    Events events(download);
    FullDisk sink(100 * 1024);

    EXPECT_FALSE(download.get(server.url(), sink));
    EXPECT_TRUE(download.error().contains(u"No space left on device"))
        << download.error().toStdString();
    EXPECT_GT(sink.data.size(), 0);
    EXPECT_EQ(sink.data, server.body.left(sink.data.size()));
    EXPECT_EQ(download.received(), sink.data.size());
    EXPECT_EQ(events.lastCount, sink.data.size());
}

// The server stops sending halfway and keeps the connection open, so only the abort can end
// the GET before curl's stall timeout of a minute.
TEST(HttpDownload, AbortEndsTheTransferSoonAndKeepsThePartReceived)
{
    Server server;
    server.body = randomBody(400 * 1024);
    server.head = okHead(server.body.size());
    server.stallAt = 200 * 1024;

    {
        SCOPED_TRACE("from a bodyData slot");
        HttpDownload download;
        Events events(download);
        QObject::connect(&download, &HttpDownload::bodyData, [&](qint64 count) {
            if (count >= 64 * 1024)
                download.abort();
        });
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(download.get(server.url(), sink));
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_TRUE(download.error().contains(u"stopped")) << download.error().toStdString();
        EXPECT_GE(download.received(), 64 * 1024);
        EXPECT_LT(download.received(), server.stallAt);
        EXPECT_EQ(events.lastCount, download.received()) << "data told after the abort";
        EXPECT_EQ(sink.data(), server.body.left(download.received()));
    }
    {
        SCOPED_TRACE("from a timer while the server stalls (the Stop button)");
        Server stalled;
        stalled.body = server.body;
        stalled.head = server.head;
        stalled.stallAt = 32 * 1024;
        HttpDownload download;
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QElapsedTimer sinceStop;
        QTimer::singleShot(300, &download, [&] {
            sinceStop.start();
            download.abort();
        });
        EXPECT_FALSE(download.get(stalled.url(), sink));
        EXPECT_LT(sinceStop.elapsed(), 500) << "not ended by the stop";
        EXPECT_EQ(download.received(), stalled.stallAt);
        EXPECT_EQ(sink.data(), stalled.body.left(stalled.stallAt));
    }
    {
        SCOPED_TRACE("the window deletes the download from a slot");
        Server again;
        again.body = server.body;
        again.head = server.head;
        auto* download = new HttpDownload;
        QPointer<HttpDownload> watch(download);
        QObject::connect(download, &HttpDownload::bodyBegins, download, &QObject::deleteLater);
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_FALSE(download->get(again.url(), sink));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watch.isNull());
    }
}

// The window may be closed, and its download deleted outright, at any moment: from inside a
// slot while curl is delivering data, or while curl waits on a silent server. get() returns
// false and touches nothing of the deleted object (the sanitized build checks the latter).
TEST(HttpDownload, DeletingTheDownloadWhileItRunsEndsItAndKeepsThePart)
{
    Server server;
    server.body = randomBody(256 * 1024);
    server.head = okHead(server.body.size());
    server.stallAt = 64 * 1024;
    {
        SCOPED_TRACE("deleted inside a bodyData slot");
        auto* download = new HttpDownload;
        qint64 told = 0;
        QObject::connect(download, &HttpDownload::bodyData, [&](qint64 count) {
            told = count;
            delete download;
        });
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_FALSE(download->get(server.url(), sink));
        EXPECT_GT(told, 0);
        EXPECT_EQ(sink.data(), server.body.left(told));
    }
    {
        SCOPED_TRACE("deleted by a timer while the server is silent");
        Server stalled;
        stalled.body = server.body;
        stalled.head = server.head;
        stalled.stallAt = server.stallAt;
        auto* download = new HttpDownload;
        QObject::connect(download, &HttpDownload::bodyData, [&](qint64 count) {
            if (count == stalled.stallAt)
                QTimer::singleShot(50, [download] { delete download; });
        });
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(download->get(stalled.url(), sink));
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(sink.data(), stalled.body.left(stalled.stallAt));
    }
}

qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Runs the event loop for `ms`, as a message box or a processEvents() call in a slot would.
void runInnerLoop(int ms)
{
    QEventLoop inner;
    QTimer::singleShot(ms, &inner, &QEventLoop::quit);
    inner.exec();
}

// curl cannot be re-entered from its callbacks, yet a slot may run the event loop while the
// data it was told about is still inside one: the transfer waits for the slot, without
// burning the processor meanwhile, and goes on after it; a Stop pressed in there still works.
TEST(HttpDownload, SlotsThatRunTheEventLoopNeitherBreakNorSpinTheDownload)
{
    {
        SCOPED_TRACE("an inner loop on every block");
        Server server;
        server.body = randomBody(256 * 1024);
        server.head = okHead(server.body.size());
        HttpDownload download;
        int blocks = 0;
        qint64 innerCpuMs = 0;
        QObject::connect(&download, &HttpDownload::bodyData, [&] {
            ++blocks;
            const qint64 before = threadCpuMs();
            runInnerLoop(blocks == 1 ? 300 : 2);
            if (blocks == 1)
                innerCpuMs = threadCpuMs() - before;
        });
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_TRUE(download.get(server.url(), sink)) << download.error().toStdString();
        EXPECT_EQ(sink.data(), server.body);
        EXPECT_GT(blocks, 5);
        EXPECT_LT(innerCpuMs, 150) << "the event loop spun while the slot waited";
    }
    {
        SCOPED_TRACE("Stop pressed while a slot's inner loop runs");
        Server server;
        server.body = randomBody(256 * 1024);
        server.head = okHead(server.body.size());
        HttpDownload download;
        qint64 toldBeforeStop = -1;
        QObject::connect(&download, &HttpDownload::bodyData, [&](qint64 count) {
            if (toldBeforeStop >= 0)
                return;
            toldBeforeStop = count;
            QTimer::singleShot(100, &download, &HttpDownload::abort);
            runInnerLoop(200);
        });
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_FALSE(download.get(server.url(), sink));
        EXPECT_TRUE(download.error().contains(u"stopped")) << download.error().toStdString();
        EXPECT_EQ(download.received(), toldBeforeStop);
        EXPECT_EQ(sink.data(), server.body.left(toldBeforeStop));
    }
}

TEST(HttpDownload, RefusedOrForbiddenAddressFailsAtOnce)
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();

    for (const QString& url : {QStringLiteral("http://127.0.0.1:%1/lobby/zlbsetup.exe").arg(port),
                               QStringLiteral("file:///etc/passwd")}) {
        SCOPED_TRACE(url.toStdString());
        HttpDownload download;
        Events events(download);
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(download.get(url, sink));
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_FALSE(download.error().isEmpty());
        EXPECT_TRUE(events.lines.isEmpty());
        EXPECT_TRUE(sink.data().isEmpty());
    }
}

} // namespace
