#include "net/curldriver.h"

#include <QSocketNotifier>

#include <algorithm>
#include <climits>

namespace net {

namespace {

bool curlReady()
{
    // curl_global_init is not thread-safe; a function-local static is initialised only once.
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    return init == CURLE_OK;
}

} // namespace

CurlDriver::CurlDriver()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_loop, [this] { timedOut(); });
    if (!curlReady())
        return;
    m_multi = curl_multi_init();
    if (!m_multi)
        return;
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlDriver::onSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlDriver::onTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
}

CurlDriver::~CurlDriver()
{
    // curl may still tell us about sockets while it cleans up; everything it reaches is alive.
    if (m_multi)
        curl_multi_cleanup(m_multi);
    m_timer.stop();
}

std::optional<CURLcode> CurlDriver::run(CURL* easy)
{
    if (m_running)
        return std::nullopt; // one run at a time; the running one is left alone
    m_done = false;
    m_result.reset();
    m_multiError = m_multi ? CURLM_OK : CURLM_INTERNAL_ERROR;
    // Adding the transfer asks for a timeout of zero, so curl starts from inside the loop.
    if (m_multiError == CURLM_OK)
        m_multiError = curl_multi_add_handle(m_multi, easy);
    if (m_multiError != CURLM_OK)
        return std::nullopt;
    m_running = true;
    m_loop.exec();
    m_running = false;
    m_done = true; // whatever still fires before the notifiers go is not handed to curl
    curl_multi_remove_handle(m_multi, easy);
    m_timer.stop();
    m_timerDeferred = false;
    m_socketDeferred = false;
    return m_result;
}

void CurlDriver::stop()
{
    if (m_running)
        finish(std::nullopt);
}

void CurlDriver::finish(std::optional<CURLcode> result)
{
    if (m_done)
        return;
    m_done = true;
    m_result = result;
    m_loop.quit();
}

int CurlDriver::onSocket(CURL*, curl_socket_t socket, int what, void* self, void*)
{
    auto* driver = static_cast<CurlDriver*>(self);
    if (what == CURL_POLL_REMOVE)
        driver->forget(socket);
    else
        driver->watch(socket, what);
    return 0;
}

int CurlDriver::onTimer(CURLM*, long ms, void* self)
{
    auto* driver = static_cast<CurlDriver*>(self);
    if (ms < 0)
        driver->m_timer.stop();
    else
        driver->m_timer.start(static_cast<int>(std::min<long>(ms, INT_MAX)));
    return 0;
}

std::unique_ptr<QSocketNotifier> CurlDriver::notifier(curl_socket_t socket, bool read)
{
    auto made = std::make_unique<QSocketNotifier>(
        static_cast<qintptr>(socket), read ? QSocketNotifier::Read : QSocketNotifier::Write);
    QSocketNotifier* raw = made.get();
    const int flags = read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
    QObject::connect(raw, &QSocketNotifier::activated, raw,
                     [this, raw, socket, flags] { ready(raw, socket, flags); });
    return made;
}

void CurlDriver::watch(curl_socket_t socket, int what)
{
    Watch& watch = m_watches[socket];
    watch.wanted = what;
    if ((what & CURL_POLL_IN) && !watch.read)
        watch.read = notifier(socket, true);
    if ((what & CURL_POLL_OUT) && !watch.write)
        watch.write = notifier(socket, false);
    if (watch.read)
        watch.read->setEnabled(what & CURL_POLL_IN);
    if (watch.write)
        watch.write->setEnabled(what & CURL_POLL_OUT);
}

void CurlDriver::forget(curl_socket_t socket)
{
    const auto found = m_watches.find(socket);
    if (found == m_watches.end())
        return;
    for (std::unique_ptr<QSocketNotifier>* one : {&found->second.read, &found->second.write}) {
        if (*one) {
            (*one)->setEnabled(false);
            m_retired.push_back(std::move(*one));
        }
    }
    m_watches.erase(found);
}

void CurlDriver::ready(QSocketNotifier* notifier, curl_socket_t socket, int flags)
{
    // Off while curl cannot take the event, or this level-triggered notifier would fire on and
    // on in whatever event loop runs meanwhile.
    if (m_done || m_inCurl) {
        notifier->setEnabled(false);
        m_socketDeferred = !m_done;
        return;
    }
    drive(socket, flags);
}

void CurlDriver::timedOut()
{
    if (m_done)
        return;
    if (m_inCurl) {
        m_timerDeferred = true;
        return;
    }
    drive(CURL_SOCKET_TIMEOUT, 0);
}

void CurlDriver::drive(curl_socket_t socket, int flags)
{
    int running = 0;
    m_inCurl = true;
    const CURLMcode code = curl_multi_socket_action(m_multi, socket, flags, &running);
    m_inCurl = false;
    if (code != CURLM_OK) {
        m_multiError = code;
        finish(std::nullopt);
    }
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE)
            finish(message->data.result);
    }
    // What came while curl was busy: the notifiers fire again if their socket is still ready.
    if (m_socketDeferred) {
        m_socketDeferred = false;
        rearm();
    }
    if (m_timerDeferred) {
        m_timerDeferred = false;
        m_timer.start(0);
    }
}

void CurlDriver::rearm()
{
    for (auto& [socket, watch] : m_watches) {
        if (watch.read)
            watch.read->setEnabled(watch.wanted & CURL_POLL_IN);
        if (watch.write)
            watch.write->setEnabled(watch.wanted & CURL_POLL_OUT);
    }
}

} // namespace net
