#include "net/httpdownload.h"

#include "net/curldriver.h"

#include <QIODevice>

#include <algorithm>
#include <curl/curl.h>

namespace net {

namespace {

// The only headers besides Host that the lobby's servers have ever seen from the game; the
// installer download is picked by them, so they must not change.
constexpr const char* kUserAgent = "User-Agent: Mozilla/3.0 (compatible)";
constexpr const char* kAccept = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";

// A server that never answers, or stops sending, must not leave the window waiting forever:
// no connection within this time fails, and so does a body that stalls (less than a byte per
// second) for kStallSeconds.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 60;
// A status line is the server's text; only this much of it goes into an error.
constexpr qsizetype kMaxStatusInError = 200;
// A server may send the download on elsewhere, over http or https only, a few times.
constexpr long kMaxRedirects = 5;

bool isRedirect(long status)
{
    return status >= 300 && status < 400;
}

} // namespace

// Everything one get() needs, on its stack. It is not part of the object because a slot may
// destroy the object in the middle of the transfer: curl must then still be wound down, and
// that is done here, after the nested loop has returned, never inside one of curl's callbacks.
struct HttpDownload::Transfer {
    Transfer(HttpDownload* o, QIODevice& s) : owner(o), sink(s) {}

    ~Transfer()
    {
        // The driver has detached the handle from curl's multi interface by now.
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }

    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    bool setUp(const QString& url);
    void stop()
    {
        aborted = true;
        driver.stop();
    }

    // The owner has been destroyed or has aborted: whatever curl still delivers is refused.
    bool stopping() const { return !owner || aborted; }

    static size_t onHeader(char* data, size_t size, size_t count, void* user);
    static size_t onBody(char* data, size_t size, size_t count, void* user);

    HttpDownload* owner; // null once the owner has been destroyed
    QIODevice& sink;
    CurlDriver driver;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;

    qint64 maxBody = 0;
    bool inBody = false;
    bool headStarts = true; // the next header line is a status line
    QByteArray statusLine;  // of the last head
    long status = 0;        // of the last head
    bool aborted = false;
    QString failure; // our own reason, which wins over curl's
    char curlError[CURL_ERROR_SIZE] = {};
};

bool HttpDownload::Transfer::setUp(const QString& url)
{
    easy = curl_easy_init();
    for (const char* line : {kUserAgent, kAccept}) {
        curl_slist* longer = curl_slist_append(headers, line);
        if (!longer) {
            failure = QStringLiteral("Cannot start the download: out of memory");
            return false;
        }
        headers = longer;
    }
    if (!easy) {
        failure = QStringLiteral("Cannot start the download: libcurl did not initialize");
        return false;
    }

    const QByteArray address = url.toUtf8();
    // Host comes from curl itself, before the custom lines, which replace its "Accept: */*";
    // a GET over HTTP/1.0 gets no other header from curl. An empty proxy overrides the
    // http_proxy and all_proxy variables of the environment.
    const CURLcode failed = [&] {
        CURLcode code = CURLE_OK;
        auto set = [&](CURLoption option, auto value) {
            if (code == CURLE_OK)
                code = curl_easy_setopt(easy, option, value);
        };
        set(CURLOPT_URL, address.constData());
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        set(CURLOPT_PROXY, "");
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, kMaxRedirects);
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_HTTPHEADER, headers);
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        set(CURLOPT_LOW_SPEED_LIMIT, 1L);
        set(CURLOPT_LOW_SPEED_TIME, kStallSeconds);
        set(CURLOPT_ERRORBUFFER, curlError);
        set(CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
        set(CURLOPT_HEADERDATA, this);
        set(CURLOPT_WRITEFUNCTION, &Transfer::onBody);
        set(CURLOPT_WRITEDATA, this);
        return code;
    }();
    if (failed != CURLE_OK) {
        failure = QStringLiteral("Cannot start the download: %1")
                      .arg(QString::fromUtf8(curl_easy_strerror(failed)));
        return false;
    }

    return true;
}

size_t HttpDownload::Transfer::onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t length = size * count;
    if (t->stopping())
        return 0;
    // Trailers of a chunked body are not part of the head.
    if (t->inBody)
        return length;

    QByteArray line(data, static_cast<qsizetype>(length));
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);

    if (!line.isEmpty()) {
        if (t->headStarts)
            t->statusLine = line;
        t->headStarts = false;
        Q_EMIT t->owner->headerLine(line);
        return t->stopping() ? 0 : length;
    }

    // The end of a head. An interim one (1xx) is followed by the real head, a redirect by
    // the head of the next address (curl follows it and skips its body), or by curl's verdict
    // when it may not follow; only a 2xx head has the download as its body.
    long status = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
    t->status = status;
    t->headStarts = true;
    if (status < 200 || isRedirect(status))
        return length;
    if (status >= 300) {
        t->failure = answered(t->statusLine);
        return 0;
    }
    curl_off_t announced = -1;
    curl_easy_getinfo(t->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (announced > t->maxBody) {
        t->failure = QStringLiteral("The download is too large: the server announces %1 bytes, "
                                    "at most %2 are taken")
                         .arg(announced)
                         .arg(t->maxBody);
        return 0;
    }
    t->inBody = true;
    Q_EMIT t->owner->bodyBegins();
    return t->stopping() ? 0 : length;
}

size_t HttpDownload::Transfer::onBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t length = size * count;
    if (t->stopping())
        return 0;
    if (!t->inBody) {
        // The body of an answer that is not the download (a redirect curl did not follow).
        if (t->failure.isEmpty())
            t->failure = answered(t->statusLine);
        return 0;
    }
    if (static_cast<qint64>(length) > t->maxBody - t->owner->m_received) {
        t->failure =
            QStringLiteral("The download is too large: more than %1 bytes").arg(t->maxBody);
        return 0;
    }
    const qint64 written = t->sink.write(data, static_cast<qint64>(length));
    if (written > 0)
        t->owner->m_received += written;
    if (written != static_cast<qint64>(length)) {
        t->failure = QStringLiteral("Cannot write the download: %1").arg(t->sink.errorString());
        return 0;
    }
    Q_EMIT t->owner->bodyData(t->owner->m_received);
    return t->stopping() ? 0 : length;
}

HttpDownload::HttpDownload(QObject* parent) : QObject(parent) {}

HttpDownload::~HttpDownload()
{
    // Destroyed by a slot or a deferred delete while get() waits: get() winds curl down and
    // returns without coming back here.
    if (m_transfer) {
        m_transfer->owner = nullptr;
        m_transfer->stop();
    }
}

bool HttpDownload::get(const QString& url, QIODevice& sink)
{
    if (m_transfer) {
        m_error = QStringLiteral("A download is already running");
        return false;
    }
    m_received = 0;
    m_error.clear();
    if (!sink.isOpen() || !sink.isWritable()) {
        m_error = QStringLiteral("The download has nowhere to go: its file is not open for "
                                 "writing");
        return false;
    }
    Transfer transfer(this, sink);
    transfer.maxBody = m_maxBody;
    if (!transfer.setUp(url)) {
        m_error = transfer.failure;
        return false;
    }
    m_transfer = &transfer;
    const std::optional<CURLcode> result = transfer.driver.run(transfer.easy);
    if (!transfer.owner)
        return false; // destroyed while waiting: nothing of this object may be touched
    m_transfer = nullptr;

    if (transfer.aborted)
        m_error = QStringLiteral("The download was stopped");
    else if (!transfer.failure.isEmpty())
        m_error = transfer.failure;
    else if (transfer.driver.multiError() != CURLM_OK)
        m_error = QStringLiteral("Download failed: %1")
                      .arg(QString::fromUtf8(curl_multi_strerror(transfer.driver.multiError())));
    else if (!result)
        // Every event loop was told to quit: the application is closing.
        m_error = QStringLiteral("The download was interrupted");
    else if (*result != CURLE_OK) {
        m_error = QString::fromUtf8(transfer.curlError[0] != '\0' ? transfer.curlError
                                                                  : curl_easy_strerror(*result));
        // A redirect curl would not follow (too many, or to another protocol): the server's
        // answer first, then why it was not followed.
        if (!transfer.inBody && isRedirect(transfer.status))
            m_error =
                answered(transfer.statusLine) + QStringLiteral(" (") + m_error + QLatin1Char(')');
    } else if (!transfer.inBody)
        m_error = isRedirect(transfer.status)
                      ? answered(transfer.statusLine)
                      : QStringLiteral("The server's answer ended inside its head");
    return m_error.isEmpty();
}

QString HttpDownload::answered(const QByteArray& statusLine)
{
    return QStringLiteral("The server answered: %1")
        .arg(QString::fromLatin1(statusLine.left(kMaxStatusInError)));
}

void HttpDownload::setMaxBody(qint64 bytes)
{
    m_maxBody = std::max<qint64>(bytes, 0);
}

void HttpDownload::abort()
{
    if (m_transfer)
        m_transfer->stop();
}

} // namespace net
