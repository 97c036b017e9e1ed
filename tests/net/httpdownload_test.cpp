// The lobby downloader's HTTP GET against a small server run by the test itself: the request
// the server sees, the body and the events of a good download, and how an error status, a
// broken connection, a full file and a refused or forbidden address end one.
#include "httpdownloadfixture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QScopeGuard>

#include <gtest/gtest.h>

namespace {

using namespace httpdownloadtest;

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
