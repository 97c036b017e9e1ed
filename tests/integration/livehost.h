#pragma once

#include "protocol/version.h"
#include "support/eventloop.h"
#include "support/hostprocess.h"
#include "support/testbot.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace integration {

// Waits in these tests are for events, never fixed sleeps; the bound only decides how long
// a broken host may take to fail a test, so it is generous for a loaded machine.
inline constexpr int kWaitMs = 20000;

inline QString hostBinary()
{
    return QStringLiteral(QUILLON_HOST_BINARY);
}

// One player connection as a test drives it: a bot and everything it has received, kept in
// arrival order so tests can look at the order as well as the content.
class Peer {
public:
    explicit Peer(QByteArray name_) : name(std::move(name_)) {}

    const QByteArray name;
    support::TestBot bot;
    QList<QByteArray> seen;

    int slot() const { return bot.slot(); }
    QByteArray slotText() const { return QByteArray::number(slot()); }
    void pump() { seen += bot.takeAll(); }
    void send(const QByteArray& lineWithoutTerminator)
    {
        bot.sendRaw(lineWithoutTerminator + '\xFF');
    }

    bool has(const QByteArray& message) const { return seen.contains(message); }
    // Received messages with this name, in order.
    QList<QByteArray> named(const QByteArray& messageName) const;
    qsizetype countOf(const QByteArray& messageName) const { return named(messageName).size(); }

    // The next message of this name not handed out by next() before, if one has arrived.
    std::optional<QByteArray> next(const QByteArray& messageName);

private:
    QHash<QByteArray, qsizetype> m_cursor; // per name: index in `seen` after the last one
};

// A quillon-host child process on a free port, and the peers a test connects to it.
class LiveHost : public ::testing::Test {
protected:
    // The host runs with a 20 ms clock second, so a turn's phases take a fraction of a
    // second; tests that need other settings override this.
    virtual QStringList hostArguments() const
    {
        return {QStringLiteral("--second-ms"), QStringLiteral("20")};
    }

    void SetUp() override;
    void TearDown() override;

    // A new connection that has logged in under `name`, or nullptr (the failure is
    // reported).
    Peer* join(const QByteArray& name, const QByteArray& version = protocol::kVersion);
    // A new connection that has not logged in (nullptr when it could not connect).
    Peer* connectOnly(const QByteArray& name);
    // A new connection the host may close at once (as it does when the table is full):
    // the connect is started but not waited for.
    Peer* knock(const QByteArray& name);
    // Logs in a peer made by connectOnly.
    bool login(Peer& peer, const QByteArray& version = protocol::kVersion);

    // Runs the event loop, collecting what every peer receives, until `done` holds.
    bool spin(const std::function<bool()>& done, int timeoutMs = kWaitMs);
    // Waits until each of `peers` has received `message`.
    bool allReceive(const QList<Peer*>& peers, const QByteArray& message, int timeoutMs = kWaitMs);
    // Waits for the next message of this name at the peer (see Peer::next).
    std::optional<QByteArray> waitForNext(Peer& peer, const QByteArray& messageName,
                                          int timeoutMs = kWaitMs);

    // `from` sends a chat line with a fresh token and every one of `peers` waits for it.
    // The host handles lines in arrival order and every connection delivers in order, so
    // when this returns, everything the host sent because of `from`'s earlier lines has
    // arrived (closes excepted: they are carried out after the line that asked for them).
    bool sync(Peer& from, const QList<Peer*>& peers);

    // The chat line a player sends, and the line everybody receives for it.
    static QByteArray chatLine(int slot, const QByteArray& text);
    static QByteArray chatSeen(const QByteArray& name, const QByteArray& text);

    QList<Peer*> peers() const;

    support::HostProcess host{hostBinary()};
    std::vector<std::unique_ptr<Peer>> m_peers;
    int m_syncs = 0;
};

} // namespace integration
