#pragma once

#include "host/engine.h"
#include "protocol/message.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <deque>
#include <gtest/gtest.h>

namespace hosttest {

// Records what the engine would have put on the wire, per slot.
class RecordingOutbound : public host::Outbound {
public:
    void send(int slot, const QByteArray& message) override
    {
        EXPECT_EQ(message.back(), protocol::kTerminator);
        sent.append({slot, message.chopped(1)});
    }
    void close(int slot) override { closed.append(slot); }
    void log(host::LogLevel level, const QString& line) override
    {
        logged.append(line);
        if (level == host::LogLevel::Warning)
            warnings.append(line);
    }

    struct Sent {
        int slot;
        QByteArray message;
    };
    QList<Sent> sent;
    QList<int> closed;
    QStringList logged;
    QStringList warnings; // the lines of `logged` the operator sees as warnings
};

// Hands out queued numbers first, then always `fallback`.
class ScriptedRandom : public host::RandomSource {
public:
    int below(int n) override
    {
        EXPECT_GT(n, 0);
        int v = fallback;
        if (!script.empty()) {
            v = script.front();
            script.pop_front();
        }
        return std::min(v, n - 1);
    }
    std::deque<int> script;
    int fallback = 0;
};

// Every category holds the same few phrases, so tests know what gets drawn.
inline host::WordLists listsOf(const QList<QByteArray>& entries)
{
    std::array<QList<QByteArray>, host::WordLists::kCategories> lists;
    lists.fill(entries);
    return host::WordLists(lists);
}

// A host engine with players attached through the outbound seam. Time passes only
// through drain(), seconds() and `now` (the milliseconds the engine is told).
class HostFixture : public ::testing::Test {
protected:
    explicit HostFixture(host::WordLists lists = listsOf({"bacon and eggs", "cheese toast",
                                                          "apple pie", "fish soup"}),
                         host::HostEngine::Options options = {})
        : engine(out, random, std::move(lists), options)
    {}

    // Admits a connection and logs it in under `name`; returns its slot.
    int join(const QByteArray& name, const QByteArray& version = "2.2.7")
    {
        const int slot = engine.admit(now);
        if (slot > 0) {
            engine.welcome(slot);
            line(slot, "CMD_logininfo+" + QByteArray::number(slot) + '+' + version + '+' + name);
            drain();
        }
        return slot;
    }

    void line(int slot, const QByteArray& text) { engine.lineReceived(slot, text); }
    void handle(int slot, const QByteArray& text)
    {
        line(slot, text);
        drain();
    }
    // Handles every queued line, a round a tick; when one round does not empty the queue,
    // the next comes a tick (10 ms) later, as at the host.
    void drain()
    {
        while (engine.hasQueuedLines()) {
            engine.drainTick(now);
            if (engine.hasQueuedLines())
                now += 10;
        }
    }
    void seconds(int n)
    {
        for (int i = 0; i < n; ++i)
            engine.clockTick();
    }
    void leave(int slot) { engine.connectionClosed(slot); }

    // Messages sent to `slot` since the last clear, in order.
    QList<QByteArray> to(int slot) const
    {
        QList<QByteArray> out_;
        for (const auto& s : out.sent) {
            if (s.slot == slot)
                out_.append(s.message);
        }
        return out_;
    }
    // Messages to `slot` whose name is `name`.
    QList<QByteArray> to(int slot, const QByteArray& name) const
    {
        QList<QByteArray> out_;
        for (const QByteArray& m : to(slot)) {
            if (protocol::splitEntry(m).name == name)
                out_.append(m);
        }
        return out_;
    }
    // Slots that received exactly this message.
    QList<int> receivers(const QByteArray& message) const
    {
        QList<int> slots;
        for (const auto& s : out.sent) {
            if (s.message == message)
                slots.append(s.slot);
        }
        return slots;
    }
    void clearSent() { out.sent.clear(); }

    void startGame(int target = 20, int seconds = 120, bool team = false)
    {
        handle(1, "CMD_startgame+1+" + QByteArray(team ? "true" : "false") + '+' +
                      QByteArray::number(target) + '+' + QByteArray::number(seconds));
    }
    // From a picking phase to the drawing phase (11 ticks).
    void pickingPasses() { seconds(11); }

    qint64 now = 0;
    RecordingOutbound out;
    ScriptedRandom random;
    host::HostEngine engine;
};

} // namespace hosttest
