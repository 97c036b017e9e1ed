#pragma once

#include "host/engine.h"
#include "host/outbound.h"
#include "host/systemrandom.h"
#include "host/tableannouncer.h"
#include "net/tsock.h"
#include "protocol/framing.h"
#include "protocol/lobby.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>

namespace host {

// The host as it runs: the listener Sock1, one TSock per admitted player, the drain timer
// socktimer and the turn clock roundtime, around the rules of HostEngine. Everything runs
// on the GUI thread's event loop.
//
// Idle costs nothing: the drain timer runs only while lines wait, the clock only during a
// game, the login timer only while a connection has yet to log in. A line arriving at an
// idle host is handled at once when the last tick is at least a tick's length ago, so it
// does not wait for a timer to come round.
class HostServer : public QObject, private Outbound {
    Q_OBJECT
public:
    struct Options {
        quint16 port = protocol::lobby::kGamePort; // 0: any free port (tests)
        int secondMs = 1000;                       // length of the clock's second
        bool solo = false;
        bool dedicated = false;             // no player window hosts (quillon-host)
        std::optional<WordLists> wordLists; // the built-in lists when not given
        // Tell the local network about the table (see TableAnnouncer) while listening.
        bool announce = true;
    };

    explicit HostServer(Options options, QObject* parent = nullptr);
    ~HostServer() override;

    // Starts listening; throws net::ESockException ("Listen - Error Binding Socket").
    void start();
    // Stops listening and closes every connection.
    void stop();
    quint16 port() const { return m_sock1.localPort(); }

    // A solo practice table is nobody else's business: it is not announced.
    void setSolo(bool solo)
    {
        m_options.solo = solo;
        m_engine.setSolo(solo);
    }
    // Where log lines go (standard error by default).
    void setLogSink(std::function<void(const QString&)> sink) { m_logSink = std::move(sink); }

    static constexpr int kDrainTickMs = 10;

private:
    // Outbound
    void send(int slot, const QByteArray& message) override;
    void close(int slot) override;
    void log(LogLevel level, const QString& line) override;

    void sock1Accept();
    void sock1Read(net::TSock* sock);
    void tempsockDisconnect(net::TSock* sock);
    void tempsockInfo(net::TSock* sock, net::SocketInfo kind, const QString& text);
    void socktimerTimer();
    void roundtimeTimer();

    void drainSoon();
    void syncIntake();
    void syncClock();
    void syncLoginTimer();
    net::TSock* connectionOf(int slot) const;
    void closeNow(int slot, net::TSock* sock);
    QByteArray announcement() const;

    Options m_options;
    SystemRandom m_random;
    HostEngine m_engine;
    net::TSock m_sock1;
    std::array<net::TSock*, PlayerTable::kSlots + 1> m_connections{};
    std::array<protocol::MessageFramer, PlayerTable::kSlots + 1> m_framers;
    // Slots whose close has been asked for; their traffic is ignored until it happens.
    std::array<bool, PlayerTable::kSlots + 1> m_closing{};
    QTimer m_socktimer;
    QTimer m_roundtime;
    QTimer m_loginTimer; // runs only while an admitted connection has not logged in
    QElapsedTimer m_sinceDrain;
    QElapsedTimer m_uptime; // the engine's clock
    quint64 m_clockStarts = 0;
    std::function<void(const QString&)> m_logSink;
    QString m_machineName;
    TableAnnouncer m_announcer;
};

} // namespace host
