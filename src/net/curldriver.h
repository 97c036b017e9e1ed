#pragma once

// CurlDriver: one libcurl transfer run to its end on the calling thread, from a nested
// QEventLoop, through curl's multi-socket interface. curl says which sockets it waits on and
// when it next wants a timeout; the driver turns that into socket notifiers and one single-shot
// timer and calls curl back when either fires. No thread of ours, no polling.
//
// curl must not be re-entered from its own callbacks. When a callback's code runs an event loop
// (a message box in a slot, say), the notifiers and the timer may fire inside it: the driver
// then only notes the event, turns the notifier off so it does not fire again and again, and
// hands the event to curl once curl's call has returned.

#include <QEventLoop>
#include <QTimer>

#include <curl/curl.h>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace net {

class CurlDriver {
public:
    CurlDriver();
    ~CurlDriver();

    CurlDriver(const CurlDriver&) = delete;
    CurlDriver& operator=(const CurlDriver&) = delete;

    // Runs `easy` (set up, not yet started) while serving every other event, until curl
    // reports the transfer ended, stop() is called, or the event loop is told to quit from
    // outside (the application closing). Returns curl's result if curl reported the end,
    // nothing otherwise. `easy` stays the caller's and is detached from curl again before
    // this returns. One run at a time.
    std::optional<CURLcode> run(CURL* easy);
    // Makes the running run() return once control is back in its event loop. Safe from curl's
    // callbacks; does nothing when no run() is under way.
    void stop();
    // CURLM_OK, unless the last run() ended because curl's multi interface itself failed.
    CURLMcode multiError() const { return m_multiError; }

private:
    struct Watch {
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
        int wanted = 0; // CURL_POLL_IN / CURL_POLL_OUT bits
    };

    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* data);
    static int onTimer(CURLM* multi, long ms, void* self);

    void watch(curl_socket_t socket, int what);
    void forget(curl_socket_t socket);
    std::unique_ptr<QSocketNotifier> notifier(curl_socket_t socket, bool read);
    void ready(QSocketNotifier* notifier, curl_socket_t socket, int flags);
    void timedOut();
    void drive(curl_socket_t socket, int flags);
    void rearm();
    void finish(std::optional<CURLcode> result);

    CURLM* m_multi = nullptr;
    QEventLoop m_loop;
    QTimer m_timer;
    std::map<curl_socket_t, Watch> m_watches;
    // Notifiers of sockets curl is done with. A notifier may be the one whose signal is being
    // delivered, so it is switched off here and deleted with the driver.
    std::vector<std::unique_ptr<QSocketNotifier>> m_retired;
    bool m_inCurl = false;
    bool m_socketDeferred = false;
    bool m_timerDeferred = false;
    bool m_running = false;
    bool m_done = false;
    std::optional<CURLcode> m_result;
    CURLMcode m_multiError = CURLM_OK;
};

} // namespace net
