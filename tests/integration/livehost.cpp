#include "livehost.h"

namespace integration {

QList<QByteArray> Peer::named(const QByteArray& messageName) const
{
    QList<QByteArray> found;
    for (const QByteArray& m : seen) {
        if (support::messageName(m) == messageName)
            found.append(m);
    }
    return found;
}

std::optional<QByteArray> Peer::next(const QByteArray& messageName)
{
    qsizetype& cursor = m_cursor[messageName];
    for (qsizetype i = cursor; i < seen.size(); ++i) {
        if (support::messageName(seen[i]) == messageName) {
            cursor = i + 1;
            return seen[i];
        }
    }
    return std::nullopt;
}

void LiveHost::SetUp()
{
    ASSERT_TRUE(host.start(hostArguments())) << "host log:\n" << host.log().toStdString();
}

void LiveHost::TearDown()
{
    if (HasFailure())
        std::fprintf(stderr, "host log:\n%s\n", qUtf8Printable(host.log()));
    m_peers.clear();
    if (host.isRunning()) {
        EXPECT_EQ(host.stop(), 0);
    }
}

Peer* LiveHost::connectOnly(const QByteArray& name)
{
    auto peer = std::make_unique<Peer>(name);
    if (!peer->bot.connectTo(host.port(), QStringLiteral("127.0.0.1"), kWaitMs)) {
        ADD_FAILURE() << "connection of " << name.toStdString() << " failed";
        return nullptr;
    }
    m_peers.push_back(std::move(peer));
    return m_peers.back().get();
}

Peer* LiveHost::knock(const QByteArray& name)
{
    m_peers.push_back(std::make_unique<Peer>(name));
    m_peers.back()->bot.socket().connectToHost(QStringLiteral("127.0.0.1"), host.port());
    return m_peers.back().get();
}

bool LiveHost::login(Peer& peer, const QByteArray& version)
{
    const bool ok = peer.bot.login(peer.name, version, kWaitMs);
    if (!ok)
        ADD_FAILURE() << "login of " << peer.name.toStdString() << " failed";
    peer.pump();
    return ok;
}

Peer* LiveHost::join(const QByteArray& name, const QByteArray& version)
{
    Peer* peer = connectOnly(name);
    return peer && login(*peer, version) ? peer : nullptr;
}

QList<Peer*> LiveHost::peers() const
{
    QList<Peer*> all;
    for (const auto& p : m_peers)
        all.append(p.get());
    return all;
}

bool LiveHost::spin(const std::function<bool()>& done, int timeoutMs)
{
    return support::spinUntil(
        [&] {
            for (const auto& p : m_peers)
                p->pump();
            return done();
        },
        timeoutMs);
}

bool LiveHost::allReceive(const QList<Peer*>& peers, const QByteArray& message, int timeoutMs)
{
    return spin(
        [&] {
            for (const Peer* p : peers) {
                if (!p->has(message))
                    return false;
            }
            return true;
        },
        timeoutMs);
}

std::optional<QByteArray> LiveHost::waitForNext(Peer& peer, const QByteArray& messageName,
                                                int timeoutMs)
{
    std::optional<QByteArray> found;
    spin(
        [&] {
            found = peer.next(messageName);
            return found.has_value();
        },
        timeoutMs);
    return found;
}

bool LiveHost::sync(Peer& from, const QList<Peer*>& peers)
{
    const QByteArray token = "sync " + QByteArray::number(++m_syncs);
    from.send(chatLine(from.slot(), token));
    return allReceive(peers, chatSeen(from.name, token));
}

QByteArray LiveHost::chatLine(int slot, const QByteArray& text)
{
    return "CMD_chat+" + QByteArray::number(slot) + '+' + text + "|clBlack";
}

QByteArray LiveHost::chatSeen(const QByteArray& name, const QByteArray& text)
{
    return "CMD_chat+" + name + " chats: " + text + "|clBlack";
}

} // namespace integration
