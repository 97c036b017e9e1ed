#include "protocol/framing.h"
#include "protocol/receivequeue.h"

#include <QList>

#include <gtest/gtest.h>

using namespace protocol;

namespace {

struct Collector {
    QList<QByteArray> messages;
    MessageFramer framer;
    void feed(QByteArrayView bytes)
    {
        framer.feed(bytes, [this](QByteArrayView m) { messages.append(m.toByteArray()); });
    }
};

QByteArray term(QByteArray text)
{
    return text + kTerminator;
}

} // namespace

TEST(Framing, SeveralMessagesInOneReadAreQueuedInOrder)
{
    Collector c;
    c.feed(term("CMD_chat+1+a|clRed") + term("CMD_full+") + term("CMD_pass+2"));
    EXPECT_EQ(c.messages, (QList<QByteArray>{"CMD_chat+1+a|clRed", "CMD_full+", "CMD_pass+2"}));
    EXPECT_EQ(c.framer.pendingSize(), 0);
}

TEST(Framing, AMessageSplitAnywhereIsQueuedOnceWhenItsTerminatorArrives)
{
    const QByteArray stream = term("CMD_chat+3+hello|clMaroon") + term("CMD_full+");
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        Collector c;
        c.feed(QByteArrayView(stream).first(cut));
        c.feed(QByteArrayView(stream).sliced(cut));
        ASSERT_EQ(c.messages, (QList<QByteArray>{"CMD_chat+3+hello|clMaroon", "CMD_full+"}))
            << "cut at " << cut;
    }
}

TEST(Framing, ByteByByteDeliveryGivesTheSameMessages)
{
    const QByteArray stream = term("CMD_a+1") + term("") + term("CMD_b+2+3");
    Collector c;
    for (char ch : stream)
        c.feed(QByteArrayView(&ch, 1));
    EXPECT_EQ(c.messages, (QList<QByteArray>{"CMD_a+1", "", "CMD_b+2+3"}));
}

TEST(Framing, TwoTerminatorsInARowGiveOneEmptyEntry)
{
    Collector c;
    c.feed(QByteArray("CMD_a+") + kTerminator + kTerminator);
    EXPECT_EQ(c.messages, (QList<QByteArray>{"CMD_a+", ""}));
}

TEST(Framing, AnUnterminatedFloodKeepsAtMostOneEntryOfBytes)
{
    Collector c;
    const QByteArray chunk(64 * 1024, 'x');
    for (int i = 0; i < 16; ++i) // 1 MiB without a terminator
        c.feed(chunk);
    EXPECT_TRUE(c.messages.isEmpty());
    EXPECT_EQ(c.framer.pendingSize(), kMaxEntryLength);

    // The terminator finally ends it: the message is the cut one, and framing goes on.
    c.feed(term("tail") + term("CMD_full+"));
    ASSERT_EQ(c.messages.size(), 2);
    EXPECT_EQ(c.messages[0], QByteArray(kMaxEntryLength, 'x'));
    EXPECT_EQ(c.messages[1], "CMD_full+");
}

TEST(Framing, ClearingForgetsTheIncompleteTail)
{
    Collector c;
    c.feed("CMD_chat+1+half");
    c.framer.clear();
    c.feed(term("CMD_full+"));
    EXPECT_EQ(c.messages, (QList<QByteArray>{"CMD_full+"}));
}

TEST(ReceiveQueue, HandsOutEntriesFirstInFirstOutAndEmptyWhenDrained)
{
    ReceiveQueue q;
    q.push("one");
    q.push("two");
    EXPECT_EQ(q.bytes(), 6);
    EXPECT_EQ(q.take(), "one");
    EXPECT_EQ(q.bytes(), 3);
    EXPECT_EQ(q.take(), "two");
    EXPECT_TRUE(q.isEmpty());
    EXPECT_EQ(q.bytes(), 0);
    EXPECT_TRUE(q.take().isEmpty());
}

TEST(ReceiveQueue, CutsLongEntriesToTheirFirst4096Characters)
{
    ReceiveQueue q;
    QByteArray long5000(5000, 'a');
    long5000[4095] = 'z';
    q.push(long5000);
    const QByteArray taken = q.take();
    EXPECT_EQ(taken.size(), 4096);
    EXPECT_EQ(taken.back(), 'z');
}
