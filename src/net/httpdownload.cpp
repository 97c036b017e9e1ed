#include "net/httpdownload.h"

#include <QEventLoop>
#include <QIODevice>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <curl/curl.h>
#include <map>
#include <memory>
#include <vector>

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

bool curlReady()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

} // namespace

// Everything one get() needs, on its stack. It is not part of the object because a slot may
// destroy the object in the middle of the transfer: curl must then still be wound down, and
// that is done here, after the nested loop has returned, never inside one of curl's callbacks.
struct HttpDownload::Transfer {
    Transfer(HttpDownload* o, QIODevice& s) : owner(o), sink(s)
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
    }

    ~Transfer()
    {
        if (multi && easy)
            curl_multi_remove_handle(multi, easy);
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
    }

    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    bool start(const QString& url);
    void drive(curl_socket_t socket, int events);
    void watch(curl_socket_t socket, int what);

    // The owner has been destroyed or has aborted: whatever curl still delivers is refused.
    bool stopping() const { return !owner || aborted; }

    static size_t onHeader(char* data, size_t size, size_t count, void* user);
    static size_t onBody(char* data, size_t size, size_t count, void* user);
    static int onSocket(CURL*, curl_socket_t socket, int what, void* user, void*);
    static int onTimer(CURLM*, long timeoutMs, void* user);

    HttpDownload* owner; // null once the owner has been destroyed
    QIODevice& sink;
    QEventLoop loop;
    QTimer timer;
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;

    struct Watch {
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
    };
    std::map<curl_socket_t, Watch> watches;
    // Notifiers of sockets curl has let go. They are only disabled, since one of them may be
    // the one whose signal is being delivered, and freed with the transfer.
    std::vector<std::unique_ptr<QSocketNotifier>> retired;

    bool inBody = false;
    bool headStarts = true; // the next header line is a status line
    QByteArray statusLine;
    bool aborted = false;
    bool finished = false;
    CURLcode result = CURLE_OK;
    QString failure; // our own reason, which wins over curl's
    char curlError[CURL_ERROR_SIZE] = {};
};

bool HttpDownload::Transfer::start(const QString& url)
{
    multi = curl_multi_init();
    easy = curl_easy_init();
    for (const char* line : {kUserAgent, kAccept}) {
        curl_slist* longer = curl_slist_append(headers, line);
        if (!longer) {
            failure = QStringLiteral("Cannot start the download: out of memory");
            return false;
        }
        headers = longer;
    }
    if (!multi || !easy) {
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
        set(CURLOPT_FOLLOWLOCATION, 0L);
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

    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &Transfer::onSocket);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &Transfer::onTimer);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    // Adding asks for a timer of 0 ms, whose timeout starts the transfer from the loop.
    const CURLMcode added = curl_multi_add_handle(multi, easy);
    if (added != CURLM_OK) {
        failure = QStringLiteral("Cannot start the download: %1")
                      .arg(QString::fromUtf8(curl_multi_strerror(added)));
        return false;
    }
    return true;
}

void HttpDownload::Transfer::drive(curl_socket_t socket, int events)
{
    if (finished)
        return;
    int running = 0;
    const CURLMcode code = curl_multi_socket_action(multi, socket, events, &running);
    if (code != CURLM_OK) {
        failure =
            QStringLiteral("Download failed: %1").arg(QString::fromUtf8(curl_multi_strerror(code)));
        finished = true;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) {
            result = message->data.result;
            finished = true;
        }
    }
    if (finished || stopping())
        loop.quit();
}

void HttpDownload::Transfer::watch(curl_socket_t socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        const auto found = watches.find(socket);
        if (found == watches.end())
            return;
        for (std::unique_ptr<QSocketNotifier>* notifier :
             {&found->second.read, &found->second.write}) {
            (*notifier)->setEnabled(false);
            retired.push_back(std::move(*notifier));
        }
        watches.erase(found);
        return;
    }
    Watch& w = watches[socket];
    if (!w.read) {
        w.read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        w.write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        QObject::connect(w.read.get(), &QSocketNotifier::activated,
                         [this, socket] { drive(socket, CURL_CSELECT_IN); });
        QObject::connect(w.write.get(), &QSocketNotifier::activated,
                         [this, socket] { drive(socket, CURL_CSELECT_OUT); });
    }
    w.read->setEnabled((what & CURL_POLL_IN) != 0);
    w.write->setEnabled((what & CURL_POLL_OUT) != 0);
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

    // The end of a head. An interim one (1xx) is followed by the real head.
    long status = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
    t->headStarts = true;
    if (status < 200)
        return length;
    if (status >= 400) {
        t->failure = QStringLiteral("The server answered: %1")
                         .arg(QString::fromLatin1(t->statusLine.left(kMaxStatusInError)));
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
    if (t->stopping() || !t->inBody)
        return 0;
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

int HttpDownload::Transfer::onSocket(CURL*, curl_socket_t socket, int what, void* user, void*)
{
    static_cast<Transfer*>(user)->watch(socket, what);
    return 0;
}

int HttpDownload::Transfer::onTimer(CURLM*, long timeoutMs, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    if (timeoutMs < 0)
        t->timer.stop();
    else
        t->timer.start(static_cast<int>(std::min<long>(timeoutMs, INT_MAX)));
    return 0;
}

HttpDownload::HttpDownload(QObject* parent) : QObject(parent) {}

HttpDownload::~HttpDownload()
{
    // Destroyed by a slot or a deferred delete while get() waits: get() winds curl down and
    // returns without coming back here.
    if (m_transfer) {
        m_transfer->owner = nullptr;
        m_transfer->loop.quit();
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
    if (!curlReady()) {
        m_error = QStringLiteral("Cannot start the download: libcurl did not initialize");
        return false;
    }

    Transfer transfer(this, sink);
    if (!transfer.start(url)) {
        m_error = transfer.failure;
        return false;
    }
    m_transfer = &transfer;
    transfer.loop.exec();
    if (!transfer.owner)
        return false;
    m_transfer = nullptr;

    if (transfer.aborted)
        m_error = QStringLiteral("The download was stopped");
    else if (!transfer.failure.isEmpty())
        m_error = transfer.failure;
    else if (!transfer.finished)
        // Every event loop was told to quit: the application is closing.
        m_error = QStringLiteral("The download was interrupted");
    else if (transfer.result != CURLE_OK)
        m_error =
            QString::fromUtf8(transfer.curlError[0] != '\0' ? transfer.curlError
                                                            : curl_easy_strerror(transfer.result));
    else if (!transfer.inBody)
        m_error = QStringLiteral("The server's answer ended inside its head");
    return m_error.isEmpty();
}

void HttpDownload::abort()
{
    if (m_transfer) {
        m_transfer->aborted = true;
        m_transfer->loop.quit();
    }
}

} // namespace net
