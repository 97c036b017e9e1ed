// What a server may not make of a download: a body without end or one announced too large
// is refused at the bound, a redirect is followed over http only a few times, and only a
// 2xx answer is ever the download.
#include "httpdownloadfixture.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

using namespace httpdownloadtest;

constexpr qint64 kBound = 256 * 1024;

struct Outcome {
    bool ok = false;
    QString error;
    QByteArray written;
    QList<QByteArray> events;
};

Outcome fetch(Server& server, qint64 bound = kBound)
{
    HttpDownload download;
    download.setMaxBody(bound);
    Events events(download);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    Outcome outcome;
    outcome.ok = download.get(server.url(), sink);
    outcome.error = download.error();
    outcome.written = sink.data();
    outcome.events = events.lines;
    EXPECT_EQ(download.received(), outcome.written.size());
    return outcome;
}

TEST(HttpDownload, BodiesAreTakenUpToTheBoundAndNoFurther)
{
    EXPECT_EQ(HttpDownload().maxBody(), 64 * 1024 * 1024);

    Server exact;
    exact.body = randomBody(kBound);
    exact.head = okHead(kBound);
    const Outcome whole = fetch(exact);
    EXPECT_TRUE(whole.ok) << whole.error.toStdString();
    EXPECT_EQ(whole.written, exact.body);

    // Without a length, one byte more than the bound fails before it is written.
    Server over;
    over.body = randomBody(kBound + 1);
    over.head = "HTTP/1.0 200 OK\r\n\r\n";
    const Outcome overBy1 = fetch(over);
    EXPECT_FALSE(overBy1.ok);
    EXPECT_TRUE(overBy1.error.contains(u"too large")) << overBy1.error.toStdString();
    EXPECT_LE(overBy1.written.size(), kBound);
    EXPECT_EQ(overBy1.written, over.body.left(overBy1.written.size()));

    Server endless;
    endless.body = randomBody(10'000);
    endless.head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n";
    endless.endless = true;
    const Outcome flood = fetch(endless);
    EXPECT_FALSE(flood.ok);
    EXPECT_TRUE(flood.error.contains(u"too large")) << flood.error.toStdString();
    EXPECT_GT(flood.written.size(), kBound - 16 * 1024);
    EXPECT_LE(flood.written.size(), kBound);
}

TEST(HttpDownload, ALengthAboveTheBoundIsRefusedBeforeAnyOfTheBody)
{
    Server server;
    server.body = randomBody(64 * 1024);
    server.head = "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n";
    const Outcome refused = fetch(server);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.error.contains(u"99999999999")) << refused.error.toStdString();
    EXPECT_TRUE(refused.written.isEmpty());
    EXPECT_FALSE(refused.events.contains("begin"));
}

TEST(HttpDownload, ARedirectIsFollowedAndOnlyTheFinalBodyIsTheDownload)
{
    Server server;
    server.head = "HTTP/1.0 302 Found\r\nLocation: /files/real.exe\r\nContent-Length: 9\r\n\r\n";
    server.body = "moved on!";
    const QByteArray real = randomBody(40'000);
    server.routes.insert("/files/real.exe", {okHead(real.size()), real});
    const Outcome moved = fetch(server);
    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(moved.written, real);
    EXPECT_EQ(server.requestLines, QList<QByteArray>({"GET /lobby/zlbsetup.exe HTTP/1.0",
                                                      "GET /files/real.exe HTTP/1.0"}));
    EXPECT_EQ(moved.events.mid(0, 3),
              QList<QByteArray>(
                  {"HTTP/1.0 302 Found", "Location: /files/real.exe", "Content-Length: 9"}));
    EXPECT_EQ(moved.events.count("begin"), 1);
    EXPECT_EQ(moved.events.indexOf("begin"), moved.events.indexOf("HTTP/1.0 200 OK") + 3);
}

TEST(HttpDownload, RedirectsItMayNotFollowAndOtherStatusesFailWithTheStatus)
{
    const struct {
        const char* what;
        QByteArray head;
        QByteArray status;
        qsizetype requests;
    } cases[] = {
        {"to ftp", "HTTP/1.0 302 Found\r\nLocation: ftp://127.0.0.1/zlbsetup.exe\r\n\r\n",
         "302 Found", 1},
        {"to a local file", "HTTP/1.0 301 Moved\r\nLocation: file:///etc/passwd\r\n\r\n",
         "301 Moved", 1},
        {"in a loop", "HTTP/1.0 302 Found\r\nLocation: /lobby/zlbsetup.exe\r\n\r\n", "302 Found",
         6},
        {"without a place", "HTTP/1.0 302 Found\r\nContent-Length: 12\r\n\r\n", "302 Found", 1},
        {"not found", "HTTP/1.0 404 Not Found\r\nContent-Length: 12\r\n\r\n", "404 Not Found", 1},
        {"a server error", "HTTP/1.0 500 Oops\r\n\r\n", "500 Oops", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Server server;
        server.head = c.head;
        server.body = "<html></html";
        const Outcome failed = fetch(server);
        EXPECT_FALSE(failed.ok);
        EXPECT_TRUE(failed.error.startsWith(QStringLiteral("The server answered: HTTP/1.0 ") +
                                            QString::fromLatin1(c.status)))
            << failed.error.toStdString();
        EXPECT_TRUE(failed.written.isEmpty());
        EXPECT_FALSE(failed.events.contains("begin"));
        EXPECT_EQ(server.requestLines.size(), c.requests);
    }
}

} // namespace
