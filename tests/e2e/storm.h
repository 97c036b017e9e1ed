#pragma once

#include <QObject>
#include <QTimer>

#include <vector>

class QTcpSocket;

// A storm of short connections against a host, as a crowd of broken or hostile clients
// makes one: one connection every few milliseconds, each of one kind in turn. Some close
// at once, some reset at once, some stay silent (until the host's login time runs out),
// some log in and leave in an orderly way after a line of chat, some log in and reset.
// Whatever the host answers, each connection ends by itself or by the host.
namespace e2e {

class Storm : public QObject {
    Q_OBJECT
public:
    enum class Kind { CloseAtOnce, ResetAtOnce, Silent, LogInAndLeave, LogInAndReset };

    struct Tally {
        int started = 0;
        int seated = 0;      // logged in and announced
        int refused = 0;     // told the table is full
        int endedByHost = 0; // silent ones the host closed
    };

    Storm(quint16 port, int connections, int everyMs, QObject* parent = nullptr);
    ~Storm() override;

    void start();
    // Every connection has been started and has ended.
    bool isOver() const;
    const Tally& tally() const { return m_tally; }

private:
    struct Client;
    void launch();
    void onConnected(Client& client);
    void onRead(Client& client);
    void finish(Client& client, bool reset);

    quint16 m_port;
    int m_connections;
    QTimer m_pace;
    std::vector<Client*> m_clients;
    int m_open = 0;
    Tally m_tally;
};

} // namespace e2e
