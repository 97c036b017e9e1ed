#pragma once

#include "protocol/catalogue.h"
#include "protocol/framing.h"
#include "protocol/version.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpSocket>

#include <optional>

namespace support {

// A scripted player for tests: connects to a host over TCP, logs in, sends messages and
// waits for what the host sends back. Waiting runs the event loop, so a host living in the
// same process keeps working meanwhile.
class TestBot : public QObject {
    Q_OBJECT
public:
    explicit TestBot(QObject* parent = nullptr);

    bool connectTo(quint16 port, const QString& host = QStringLiteral("127.0.0.1"),
                   int timeoutMs = 5000);
    // Waits for the slot from CMD_sendlogininfo, answers CMD_logininfo and waits for the
    // host to announce this bot (CMD_newplayerinfo with its own slot). Returns success.
    bool login(const QByteArray& name, const QByteArray& version = protocol::kVersion,
               int timeoutMs = 5000);
    int slot() const { return m_slot; }

    void sendRaw(const QByteArray& bytes);
    void send(protocol::MessageId id, const protocol::Fields& fields);

    // Removes and returns the first received message (without terminator) whose name is
    // `name`, waiting for it if needed. Messages with other names stay in the inbox.
    std::optional<QByteArray> waitFor(const QByteArray& name, int timeoutMs = 5000);
    // The same, read as the catalogue message `id` of the host-to-player direction.
    std::optional<protocol::Fields> waitFor(protocol::MessageId id, int timeoutMs = 5000);
    // Everything received and not taken yet, oldest first; the inbox is emptied.
    QList<QByteArray> takeAll();
    // Waits `ms` and returns whether a message of that name arrived meanwhile (not taken).
    bool receivesWithin(const QByteArray& name, int ms);

    bool isConnected() const;
    bool waitForDisconnect(int timeoutMs = 5000);
    void disconnectNow();
    // Ends the connection with a reset instead of an orderly close.
    void resetNow();

    QTcpSocket& socket() { return m_socket; }

private:
    void onReadyRead();
    qsizetype indexOf(const QByteArray& name) const;

    QTcpSocket m_socket;
    protocol::MessageFramer m_framer;
    QList<QByteArray> m_inbox;
    int m_slot = 0;
};

// The name of a received message (text before its first "+").
QByteArray messageName(const QByteArray& message);
// The payload of a received message (text after its first "+").
QByteArray messagePayload(const QByteArray& message);

} // namespace support
