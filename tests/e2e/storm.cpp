#include "e2e/storm.h"

#include "protocol/catalogue.h"
#include "protocol/framing.h"
#include "protocol/version.h"

#include <QTcpSocket>

#include <sys/socket.h>

namespace e2e {

using protocol::MessageId;

struct Storm::Client {
    explicit Client(Kind k) : kind(k) {}
    Kind kind;
    QTcpSocket socket;
    protocol::MessageFramer framer;
    int slot = 0;
    bool closedByUs = false;
    bool ended = false;
};

namespace {
// One connection in ten stays silent: each holds a slot until the host's login time (30 s)
// runs out, and more of them would keep the table full for the whole storm.
constexpr Storm::Kind kPattern[] = {Storm::Kind::CloseAtOnce,   Storm::Kind::ResetAtOnce,
                                    Storm::Kind::LogInAndLeave, Storm::Kind::LogInAndReset,
                                    Storm::Kind::CloseAtOnce,   Storm::Kind::ResetAtOnce,
                                    Storm::Kind::LogInAndLeave, Storm::Kind::LogInAndReset,
                                    Storm::Kind::Silent,        Storm::Kind::LogInAndLeave};
} // namespace

Storm::Storm(quint16 port, int connections, int everyMs, QObject* parent)
    : QObject(parent), m_port(port), m_connections(connections)
{
    m_pace.setInterval(everyMs);
    connect(&m_pace, &QTimer::timeout, this, &Storm::launch);
}

Storm::~Storm()
{
    for (Client* c : m_clients)
        c->socket.abort();
    qDeleteAll(m_clients);
}

void Storm::start()
{
    m_pace.start();
}

bool Storm::isOver() const
{
    return m_tally.started == m_connections && m_open == 0;
}

void Storm::launch()
{
    if (m_tally.started == m_connections) {
        m_pace.stop();
        return;
    }
    auto* client = new Client(kPattern[static_cast<size_t>(m_tally.started) % std::size(kPattern)]);
    m_clients.push_back(client);
    ++m_tally.started;
    ++m_open;
    connect(&client->socket, &QTcpSocket::connected, this,
            [this, client] { onConnected(*client); });
    connect(&client->socket, &QTcpSocket::readyRead, this, [this, client] { onRead(*client); });
    // Closed by the host, by the network or by us: either way this one is over.
    connect(&client->socket, &QTcpSocket::stateChanged, this,
            [this, client](QAbstractSocket::SocketState state) {
                if (state != QAbstractSocket::UnconnectedState || client->ended)
                    return;
                client->ended = true;
                --m_open;
                if (client->kind == Kind::Silent && !client->closedByUs)
                    ++m_tally.endedByHost;
            });
    client->socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
}

void Storm::onConnected(Client& client)
{
    if (client.kind == Kind::CloseAtOnce)
        finish(client, false);
    else if (client.kind == Kind::ResetAtOnce)
        finish(client, true);
}

void Storm::onRead(Client& client)
{
    client.framer.feed(client.socket.readAll(), [&](QByteArrayView view) {
        const protocol::Entry entry = protocol::splitEntry(view.toByteArray());
        const int first = entry.payload.split('+').value(0).toInt();
        if (entry.name == "CMD_full") {
            ++m_tally.refused;
        } else if (entry.name == "CMD_sendlogininfo" && client.kind != Kind::Silent) {
            client.slot = first;
            client.socket.write(protocol::buildMessage(
                MessageId::LoginInfo,
                {first, QByteArray(protocol::kVersion), "Storm" + QByteArray::number(first)}));
        } else if (entry.name == "CMD_newplayerinfo" && client.slot != 0 && first == client.slot) {
            ++m_tally.seated;
            client.socket.write(protocol::buildMessage(
                MessageId::ChatToHost, {client.slot, protocol::TextColour{"hi, bye", 0}}));
            finish(client, client.kind == Kind::LogInAndReset);
        }
    });
}

void Storm::finish(Client& client, bool reset)
{
    client.closedByUs = true;
    if (reset) {
        // SO_LINGER with no time turns the close into a reset.
        const linger hard{1, 0};
        ::setsockopt(static_cast<int>(client.socket.socketDescriptor()), SOL_SOCKET, SO_LINGER,
                     &hard, sizeof hard);
        client.socket.abort();
        return;
    }
    client.socket.disconnectFromHost();
}

} // namespace e2e
