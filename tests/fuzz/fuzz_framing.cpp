// Arbitrary bytes, delivered in arbitrary pieces, through framing, the receive queue and
// the field reading of every catalogue message. Nothing may crash, hang or grow without
// bound, and what comes out must keep the framing's promises.
#include "protocol/catalogue.h"
#include "protocol/conversion.h"
#include "protocol/framing.h"
#include "protocol/receivequeue.h"

#include <cstdint>
#include <cstdlib>

using namespace protocol;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how the stream is cut into reads.
    const size_t piece = 1 + data[0] % 64;
    const auto* bytes = reinterpret_cast<const char*>(data + 1);
    const auto total = static_cast<qsizetype>(size - 1);

    MessageFramer framer;
    ReceiveQueue queue;
    for (qsizetype at = 0; at < total; at += static_cast<qsizetype>(piece)) {
        const qsizetype n = std::min<qsizetype>(static_cast<qsizetype>(piece), total - at);
        framer.feed(QByteArrayView(bytes + at, n), [&](QByteArrayView m) {
            check(m.size() <= kMaxEntryLength);
            check(!m.contains(kTerminator));
            queue.push(m);
        });
        check(framer.pendingSize() <= kMaxEntryLength);
    }

    while (!queue.isEmpty()) {
        const QByteArray line = queue.take();
        const Entry entry = splitEntry(line);
        for (Direction d : {Direction::ToHost, Direction::ToPlayer}) {
            if (const MessageSpec* def = findMessage(d, entry.name)) {
                try {
                    const Fields fields = readMessage(def->id, entry.payload);
                    check(fields.size() == def->fields.size());
                } catch (const ConversionError&) {
                    // A bad number stops the handler; that is the defined outcome.
                }
            }
        }
        // One catalogue reader, chosen by the line's first byte, also gets the raw line,
        // whatever its name. One, not all: most readers throw on a random line, and a throw
        // per reader per line (slow under the sanitizers) cut the rate to a few hundred runs
        // a second; the fuzzer still reaches every reader through that byte.
        const auto& all = catalogue();
        if (!line.isEmpty() && !all.empty()) {
            const MessageSpec& def = all[static_cast<uchar>(line.at(0)) % all.size()];
            try {
                readMessage(def.id, line);
            } catch (const ConversionError&) {
            }
        }
    }
    return 0;
}
