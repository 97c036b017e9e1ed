#pragma once

#include "protocol/message.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

namespace protocol {

// Cuts one connection's byte stream into messages at the terminator byte. Bytes after the
// last terminator wait in the pending tail for the next read of the same connection.
//
// The tail never holds more than kMaxEntryLength bytes: a message is only ever handled as
// its first kMaxEntryLength characters, so anything beyond is dropped on arrival instead of
// being kept until the queue cuts it. A peer that never sends a terminator therefore costs
// at most kMaxEntryLength bytes, and the message it finally ends is the same as the cut one.
class MessageFramer {
public:
    // Calls sink(QByteArrayView) for every complete message in arrival order. The view is
    // valid only during the call: it points into `bytes` or into the pending tail.
    template <class Sink> void feed(QByteArrayView bytes, Sink&& sink)
    {
        const char* p = bytes.data();
        const char* const end = p + bytes.size();
        while (p < end) {
            const auto* t = static_cast<const char*>(std::memchr(
                p, static_cast<unsigned char>(kTerminator), static_cast<size_t>(end - p)));
            if (!t) {
                keep(p, end);
                return;
            }
            if (m_tail.isEmpty()) {
                // The whole message is in this read: hand it on without copying.
                sink(QByteArrayView(p, std::min<qsizetype>(t - p, kMaxEntryLength)));
            } else {
                keep(p, t);
                sink(QByteArrayView(m_tail));
                m_tail.resize(0);
            }
            p = t + 1;
        }
    }

    // Forgets an incomplete message (the connection is gone).
    void clear() { m_tail.clear(); }
    qsizetype pendingSize() const { return m_tail.size(); }

private:
    void keep(const char* from, const char* to)
    {
        const qsizetype room = kMaxEntryLength - m_tail.size();
        const qsizetype n = std::min<qsizetype>(room, to - from);
        if (n > 0)
            m_tail.append(from, n);
    }

    QByteArray m_tail;
};

} // namespace protocol
