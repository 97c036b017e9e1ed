#pragma once

// HttpDownload: one URL fetched into a file for the lobby's downloader window, over libcurl.
//
// The request is the one the lobby's web servers have always seen from the game: an HTTP/1.0
// GET with only Host, User-Agent ("Mozilla/3.0 (compatible)") and Accept, never through a
// proxy (the environment's proxy settings are ignored). The URL may come from the lobby, so
// only http and https are accepted, for the first address and for every redirect; at most
// five redirects are followed. Only a 2xx answer is the download: any other final status
// fails the download with that status.
//
// A server cannot fill the disk: a body is taken up to setMaxBody() bytes (64 MiB unless told
// otherwise). A Content-Length above it fails at the end of the head, before any of the body
// is written; a body that grows past it fails before the block that would cross it is
// written.
//
// A dead server cannot hold the window forever: connecting gives up after 30 seconds, and a
// transfer that moves less than one byte a second for 60 seconds is dropped.
//
// get() runs a nested event loop until the transfer ends, so the window stays live and its
// Stop button works while it waits; curl is driven from that loop through socket notifiers
// and a timer (no thread of ours, no polling). The signals are emitted from inside get(), on
// the GUI thread, in the order the response arrives:
//  - headerLine for each line of each response head (a redirect's, then the next address's),
//    the status line first, without its CR LF (the blank line that ends a head is not told);
//  - bodyBegins once a head has ended with a 2xx status;
//  - bodyData after each block of the body has been written to the sink, with the count of
//    body bytes received so far.
// Any other final status ends the transfer right after its head: the head's lines are told,
// the body is neither told nor written, and get() fails with "The server answered: " and the
// status line as its error (a redirect curl would not follow adds why in brackets).
//
// Slots connected to the signals may call abort(), may run an event loop of their own (a
// message box; the transfer waits meanwhile), and may delete the object, with deleteLater or
// directly. Destroying the object while its get() waits ends the transfer as failed: get()
// then returns false without touching the object again, so its caller must not touch it either.
#include <QByteArray>
#include <QObject>
#include <QString>

class QIODevice;

namespace net {

class HttpDownload : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kDefaultMaxBody = 64 * 1024 * 1024;

    explicit HttpDownload(QObject* parent = nullptr);
    ~HttpDownload() override;

    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    // Fetches `url` and writes its body into `sink`, which the caller has opened for writing;
    // returns once the transfer has ended. true: the whole body arrived with a 2xx status.
    // false: another final status, a redirect that may not be followed, a body above the
    // bound, no connection, a broken connection, a sink that would not take the data,
    // abort(), or a get() already running on this object; error() says which. What arrived
    // before a failure stays in the sink.
    bool get(const QString& url, QIODevice& sink);
    // The most body bytes a get() takes (0 or more); applies to the next get().
    void setMaxBody(qint64 bytes);
    qint64 maxBody() const { return m_maxBody; }
    // Ends a running get() as failed, soon; it returns once the event being delivered is
    // through. Does nothing when no get() runs.
    void abort();

    // Body bytes written to the sink by the last or running get().
    qint64 received() const { return m_received; }
    // Why the last get() failed; empty after a success.
    QString error() const { return m_error; }

Q_SIGNALS:
    void headerLine(const QByteArray& line);
    void bodyBegins();
    void bodyData(qint64 received);

private:
    struct Transfer;

    static QString answered(const QByteArray& statusLine);
    friend struct Transfer;

    Transfer* m_transfer = nullptr; // lives on the stack of the running get()
    qint64 m_received = 0;
    qint64 m_maxBody = kDefaultMaxBody;
    QString m_error;
};

} // namespace net
