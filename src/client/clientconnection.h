#pragma once

#include "net/tsock.h"
#include "protocol/catalogue.h"
#include "protocol/framing.h"
#include "protocol/receivequeue.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace client {

// Receives the host's messages one per drain tick, in order.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void handleMessage(protocol::MessageId id, const QByteArray& payload) = 0;
};

// The player window's connection to the host (`sock`), the silent link to the lobby
// (`Sock11`), the receive queue and its drain timer (`Timer1`, 1 ms).
//
// The drain timer runs only while there is something to do: messages wait in the queue,
// or the quick-phrase pause is counting its ticks. A message that arrives while the timer
// is idle is handled at once, so an idle window costs nothing and a busy one still takes
// exactly one message per tick.
//
// The host is a peer like any other: a malformed message stops its handler at the bad
// field and is logged, never shown in a box (draining goes on), and when more than
// kMaxQueuedBytes wait unhandled the socket is no longer read until half of them are
// handled, so a flood costs the window no memory; nothing is dropped and the order stays.
class ClientConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1;
    // Ticks a quick phrase must wait after the last one.
    static constexpr int kPhrasePauseTicks = 100;
    // An honest host's biggest burst, a newcomer's replay of a long turn's drawing, is a few
    // hundred kilobytes.
    static constexpr qsizetype kMaxQueuedBytes = 1024 * 1024;
    // A table that has not answered by then is not there (the system's own connect time-out
    // is minutes long).
    static constexpr int kConnectTimeoutMs = 10000;

    explicit ClientConnection(MessageSink& sink, QObject* parent = nullptr);

    // Starts connecting to the host. A dotted address is used as it is, and one that cannot
    // be read throws net::ESockException ("Host Lookup - Could Not Find Host Entry"). A
    // name is looked up first, in the background; one that cannot be found is told by
    // hostNotFound() and nothing is opened.
    void open(const QString& hostAddress, quint16 port);
    // The lobby link, connected once the connection to the host has started (at once for a
    // dotted address, after the lookup for a name, never for a name not found); never
    // written, held until the program ends. What a listener there sends is read and thrown
    // away, so it cannot pile up in the window.
    void openLobbyLinkWhenStarted();
    bool lobbyLinkOpened() const { return m_sock11.hasHandle(); }
    qint64 lobbyLinkHeldBytes() const { return m_sock11.pendingInput(); }
    // The lobby's port (tests use one of their own).
    void setLobbyPort(quint16 port);
    // How long a connect may take before the table is given up (tests shorten it).
    void setConnectTimeout(int ms) { m_connectTimer.setInterval(ms); }

    // Sends when the socket has a connection; returns whether it did.
    bool send(protocol::MessageId id, const protocol::Fields& fields);
    // Hands the message to the socket without asking: while connecting it waits there and
    // goes out once connected; before the connection was ever opened the socket refuses it
    // with net::ESockException ("Send - Socket Not Connected").
    void sendUnchecked(protocol::MessageId id, const protocol::Fields& fields);

    // Bytes as the socket delivers them (also the seam for tests).
    void receive(QByteArrayView bytes);
    // One drain step: at most one message.
    void drainTick();
    bool hasQueuedMessages() const { return !m_queue.isEmpty(); }
    qsizetype queuedBytes() const { return m_queue.bytes(); }
    bool readingHeld() const { return m_sock.inputHeld(); }

    // While a message box is open nothing is drained, so no handler runs behind it.
    void setPaused(bool paused);

    // The quick-phrase pause, counted in drain ticks.
    bool phraseAllowed() const { return m_phraseAllowed; }
    void phraseSent();

Q_SIGNALS:
    // The connection is gone ("Socket Closed"): the window closes.
    void closed();
    // The host's name could not be looked up.
    void hostNotFound();
    // The connection to the host failed before it was made, or was given up after
    // kConnectTimeoutMs. `address` is the table's as opened ("host:port"), `reason` the
    // socket's report ("Error #10061 (WSAECONNREFUSED)").
    void unreachable(const QString& address, const QString& reason);

private:
    void sockInfo(net::SocketInfo kind, const QString& text);
    void started();
    void giveUp();
    void openLobbyLink();
    void onTimer1();
    void schedule();

    MessageSink& m_sink;
    net::TSock m_sock;
    net::TSock m_sock11;
    protocol::MessageFramer m_framer;
    protocol::ReceiveQueue m_queue;
    QTimer m_timer1;
    QTimer m_connectTimer;
    QElapsedTimer m_sinceTick;
    bool m_paused = false;
    bool m_started = false;
    bool m_lobbyLinkWanted = false;
    QString m_tableAddress; // "host:port" as opened, for the player
    bool m_reached = false;
    bool m_givingUp = false;
    bool m_phraseAllowed = true;
    int m_phraseTicks = 0;
};

} // namespace client
