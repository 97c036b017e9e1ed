#pragma once

// What the HttpDownload tests share: a small HTTP server run by the test itself on the same
// thread (get()'s nested event loop serves both), bodies and heads to serve, and a log of a
// download's signals.

#include "net/httpdownload.h"
#include "support/httpserver.h"

#include <QRandomGenerator>

namespace httpdownloadtest {

using net::HttpDownload;

// The web server of the tests: answers with a head and a body, paced, stalled or cut off.
using Server = support::HttpServer;

inline QByteArray randomBody(qsizetype size)
{
    QRandomGenerator random(7);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

inline QByteArray okHead(qsizetype length)
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

} // namespace httpdownloadtest
