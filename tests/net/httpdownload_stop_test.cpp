// Ending a download early: the Stop button from a slot or a timer, deleting the download
// while it runs, and slots that run the event loop themselves.
#include "httpdownloadfixture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>

#include <ctime>
#include <gtest/gtest.h>

namespace {

using namespace httpdownloadtest;

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

} // namespace
