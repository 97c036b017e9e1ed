#pragma once

// TSock: the event-driven TCP socket behind every connection of the game (the host's listener,
// one socket per player on the host, the player window's connection to the host and the
// loopback connection to the lobby).
//
// It runs on the GUI thread's event loop over Qt Network and never blocks that thread: connects
// and name lookups complete later and are told through events, sends queue what the platform
// cannot take at once. What happens to a connection reaches the owner through the On* handlers
// and through short info reports (OnInfo with a kind and a fixed text); the game relies on one
// of them, "Socket Closed", as its disconnect signal.
//
// Event rules the owners rely on:
//  - Every handler runs on the GUI thread, one at a time, in the order the platform reported the
//    events. A handler is never called from inside another handler of the same socket or from
//    inside a call the owner makes (send, close, ...), except for the info reports that call
//    makes itself (send reports "Non-Blocking Outgoing Data", close reports "Socket Closed"...).
//    Anything the platform reports meanwhile is delivered afterwards, in order.
//  - An orderly close by the peer fires OnDisconnect, then closes the socket, which reports
//    "Socket Closed".
//  - A connection that ends with an error (reset by the peer, a dead network) reports the error
//    ("Error #10054 (WSAECONNRESET)") and is then closed, reporting "Socket Closed", without
//    OnDisconnect. Qt tells a reset and an orderly close apart by neither error nor state, so on
//    Linux the socket keeps a second descriptor of each connection and reads the TCP state from
//    it when Qt says the peer closed: CLOSE_WAIT was an orderly close, CLOSE a reset. Elsewhere
//    a reset is taken as an orderly close.
//  - An unsuccessful connect (refused, unknown host) is not a closed connection: only the Error
//    report is made, the socket keeps its handle and stays unconnected until the owner closes it.
//  - Errors are thrown (ESockException) only from calls the owner makes. An exception escaping a
//    handler during an event is caught at the event loop's edge and passed to the handler set
//    with setUnhandledErrorHandler (Qt cannot carry exceptions through its event loop).
//  - Destroying a socket that is connected or listening closes it silently: no reports, no
//    handler calls, because the owners those handlers reach may be half destroyed by then.
//
// Closing never throws away data: whatever was handed to send before close still goes out. The
// connection lingers in the background, without its TSock, until the output is sent and the
// peer has closed too (at most a few seconds), while the TSock is closed at once.
//
// Sockets made by accept are children of their listener (QObject ownership): they live until
// the listener is destroyed, or until their owner deletes them earlier. Deleting a socket from
// inside one of its own handlers is allowed.

#include "net/resetwitness.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>

class QHostInfo;
class QTcpServer;
class QTcpSocket;

namespace net {

// Raised by the TSock operations; what() is one of the fixed texts ("Send - Socket Not
// Connected", "Listen - Error Binding Socket", "Error here", ...).
class ESockException : public std::runtime_error {
public:
    explicit ESockException(const char* text) : std::runtime_error(text) {}
};

// The kind of an info report, in the order the reports have always been numbered.
enum class SocketInfo { Lookup, Connect, Close, Listen, Receive, Send, Accept, Error };

class TSock : public QObject {
    Q_OBJECT

public:
    using SenderHandler = std::function<void(TSock* sender)>;
    using InfoHandler = std::function<void(TSock* sender, SocketInfo kind, const QString& msg)>;
    using ReadHandler = std::function<void(TSock* sender, qint64 count)>;

    explicit TSock(QObject* parent = nullptr);
    ~TSock() override;

    TSock(const TSock&) = delete;
    TSock& operator=(const TSock&) = delete;

    // Settings. Only non-blocking stream sockets that accept on request exist here; the
    // blocking, datagram and automatic-accept modes are not part of this class.
    const QString& hostName() const { return m_hostName; }
    // On a connected socket the value is stored all the same, with the report
    // "Setting HostName While Connected Has No Effect" (likewise for the port).
    void setHostName(const QString& name);
    const QString& portName() const { return m_portName; }
    void setPortName(const QString& port);
    // Free for the owner; the host keeps a player's slot number here.
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // The Listen setting: whether the socket is listening. (A getter: setListen starts it.)
    [[nodiscard]] bool listen() const { return m_listening; }
    // true: listen on PortName on all local IPv4 addresses, reporting "Lookup Of Port ..." and
    // "Listening Started" ("Listening Already Running" when it already listens). Throws
    // "Listen - Socket Already In Use" on a socket with a connection, "Listen - Error Binding
    // Socket" when the port is taken (the socket stays closed), "Port Lookup - Could Not Find
    // Service Entry" for an unknown service name.
    // false: stop listening, reporting "Socket Closed" and "Listening Stopped"; nothing happens
    // on a socket that does not listen.
    void setListen(bool on);

    // Established (or accepted) and not closed since.
    bool connected() const { return m_connected; }
    // Holds a platform socket: connecting, connected, failed to connect, or listening.
    bool hasHandle() const;
    // The local port the socket is bound to (a listener on port "0" gets one from the system),
    // or 0 without a handle.
    quint16 localPort() const;
    // On a listener: the dotted address of the peer accepted last.
    const QString& remoteAddress() const { return m_remoteAddress; }
    // Bytes handed to send that the platform has not taken yet.
    qint64 pendingOutput() const;
    // Bytes received and not yet taken by receive.
    qint64 pendingInput() const { return m_input.size(); }
    // Holding the input: while held, nothing more is read from the platform (at most one
    // read of kReadChunk bytes waits inside), so once the platform's buffers are full the
    // peer's sending stalls by TCP's own flow control; no byte is lost and the order stays.
    // Releasing delivers what waited as a read event of its own, after the call. A
    // connection that ends while held still delivers what it read before the end.
    void setInputHeld(bool held);
    bool inputHeld() const { return m_inputHeld; }
    // The most one read notification takes from the platform.
    static constexpr qint64 kReadChunk = 32768;
    // TCP keepalive on the connection (now, and on connections made later; sockets accepted by
    // a listener take the listener's setting). On Linux the first probe goes out after 30 s of
    // silence and a peer that answers none of 4 probes 10 s apart is dropped, which ends the
    // connection with an Error report (10050) and "Socket Closed".
    void setKeepAlive(bool on);

    // Starts connecting to HostName:PortName and returns connected(), which is false: success is
    // told later by "Non-Blocking Socket Connected" and OnConnect, failure by an Error report.
    // A host beginning with a digit is a dotted IPv4 address; other names are looked up in the
    // background. Does nothing on a socket that has a handle already. Throws "Host Lookup -
    // Could Not Find Host Entry" for an unreadable address and "Port Lookup - Could Not Find
    // Service Entry" for an unknown port; the socket then stays without a handle.
    bool open();
    // Closes the connection or stops listening, and reports "Socket Closed" unless the socket
    // was listening, also when it was closed already. Never throws. Returns whether there was
    // a handle to close.
    bool close();
    // Queues the bytes and hands the platform as much as it takes now; the rest goes out later,
    // in order. Throws "Send - Socket Not Connected" without a handle and "Send - Cannot Send
    // On A Listener Socket" on a listener. Returns true.
    bool send(const QByteArray& data);
    // Takes everything received so far. Throws "Receive - Socket Not Connected" without a handle
    // when nothing is buffered, "Receive - Cannot Receive On A Listener Socket" on a listener.
    QByteArray receive();
    // On a listener: takes the waiting connection into a new TSock owned by this one, with this
    // one's OnRead, OnWrite, OnDisconnect and OnInfo, stores it in newSock and returns true.
    // Returns false with the report "Could Not Accept Connection" when none is waiting. Throws
    // "Accept - Socket Not In Listening Mode" when not listening.
    bool accept(TSock*& newSock);

    // Event handlers, each optional.
    SenderHandler OnConnect;    // an outgoing connection is established
    SenderHandler OnDisconnect; // the peer closed the connection in an orderly way
    InfoHandler OnInfo;         // every info report
    ReadHandler OnRead;         // data arrived; count is pendingInput()
    SenderHandler OnWrite;      // output that had to wait has been taken by the platform
    SenderHandler OnAccept;     // a connection waits on a listener (call accept)

    // Receives the text of an exception that escaped a handler while an event was delivered
    // (the application shows it in its error box). Without one the text goes to qWarning.
    static void setUnhandledErrorHandler(std::function<void(const QString& text)> handler);

private:
    enum class Note { Resolved, Connected, Read, Written, Failed, Disconnected, Incoming };
    struct Pending {
        Pending(Note n, quint64 g, int e = 0) : note(n), generation(g), error(e) {}
        Note note;
        quint64 generation; // of the handle the event belongs to
        int error;          // Qt socket error (Failed) or Windows Sockets code (Resolved)
        std::optional<QHostAddress> address; // where a lookup led (Resolved)
    };
    class Busy;

    void report(SocketInfo kind, const QString& msg);
    quint16 lookupPort();
    void startConnect(const QHostAddress& address);
    void attach(QTcpSocket* socket);
    void applySocketOptions();
    void releaseHandle();

    void notify(Pending pending);
    void scheduleDrain();
    void drain();
    void dispatch(const Pending& pending);
    void onResolved(const Pending& pending);
    void onConnected();
    void onRead(bool evenIfHeld = false);
    void onWritten();
    void onFailed(int qtError);
    void onDisconnected();
    void onIncoming();
    void endConnection(int wsaCode);

    QString m_hostName;
    QString m_portName;
    int m_tag = 0;
    bool m_keepAlive = false;

    QTcpSocket* m_socket = nullptr; // handle of a connecting or connected socket
    QTcpServer* m_server = nullptr; // handle of a listener
    int m_lookupId = -1;            // background host lookup in progress
    quint16 m_connectPort = 0;
    ResetWitness m_witness;
    bool m_connected = false;
    bool m_listening = false;
    bool m_inSend = false;
    bool m_inputHeld = false;
    QByteArray m_input;
    QByteArray m_earlyOutput; // sent before the connection was established
    QString m_remoteAddress;

    // Platform events wait here while a handler or an owner's call of this socket runs.
    std::deque<Pending> m_pending;
    quint64 m_generation = 0; // bumped when the handle goes; older events are dropped
    int m_busy = 0;
    bool m_drainPosted = false;
};

} // namespace net
