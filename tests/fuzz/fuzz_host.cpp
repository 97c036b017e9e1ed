// Arbitrary bytes from several connections through framing and dispatch into the host's
// rules, with time passing in between. Nothing may crash, hang, overflow or index outside
// the player table; the sanitizers watch every step. The seed corpus beside this file
// starts games with numbers at the ends of the integer range.
#include "host/engine.h"
#include "protocol/framing.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class NullOutbound : public host::Outbound {
public:
    void send(int slot, const QByteArray& message) override
    {
        if (slot < 1 || slot > 15 || message.isEmpty() || message.back() != '\xFF')
            std::abort();
    }
    void close(int slot) override { closed.push_back(slot); }
    void log(host::LogLevel, const QString& line) override
    {
        if (line.contains(QLatin1Char('\n')))
            std::abort(); // wire text must never split the operator's log
    }
    std::vector<int> closed;
};

class ByteRandom : public host::RandomSource {
public:
    int below(int n) override { return static_cast<int>(++m_counter % static_cast<unsigned>(n)); }

private:
    unsigned m_counter = 0;
};

// Phrases with every irregularity the shipped lists have.
host::WordLists fuzzLists()
{
    std::array<QList<QByteArray>, host::WordLists::kCategories> lists;
    lists.fill({"bacon and eggs", "A Bad egg ", "Mr  Bean", "Abbot And Costello Show\t",
                "baker\x92s dozen      ", "candle in the wind", "x"});
    return host::WordLists(lists);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NullOutbound out;
    ByteRandom random;
    host::HostEngine::Options options;
    options.dedicated = size % 2 == 1;
    static const host::WordLists lists = fuzzLists(); // read once; each engine gets a copy
    host::HostEngine engine(out, random, lists, options);
    std::array<protocol::MessageFramer, 16> framers;
    qint64 now = 0;
    for (int i = 0; i < 4; ++i)
        engine.welcome(engine.admit(now));

    // Each record: one control byte (origin slot, how much time passes), a length byte,
    // bytes.
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t control = data[at];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        const int slot = 1 + control % 5; // slot 5 is admitted only after a departure
        framers[static_cast<size_t>(slot)].feed(
            QByteArrayView(reinterpret_cast<const char*>(data + at + 2),
                           static_cast<qsizetype>(length)),
            [&](QByteArrayView line) { engine.lineReceived(slot, line); });
        at += 2 + length;
        engine.drainTick(now);
        now += 20;
        for (int t = 0; t < (control >> 4); ++t) {
            engine.clockTick();
            now += 1000;
        }
        engine.expireLogins(now);
        // Closes the rules asked for are carried out, and somebody new takes the slot.
        for (const int closed : std::exchange(out.closed, {})) {
            engine.connectionClosed(closed);
            framers[static_cast<size_t>(closed)].clear();
            engine.welcome(engine.admit(now));
        }
    }
    // What is left is handled as the host would, a tick every 10 ms: a connection past its
    // budget waits for it to refill.
    while (engine.hasQueuedLines()) {
        engine.drainTick(now);
        now += 10;
    }
    return 0;
}
