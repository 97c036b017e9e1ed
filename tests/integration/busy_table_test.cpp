// Honest players at their busiest, at a running quillon-host: a drawer whose link stalled,
// a table of ten where four hold Enter, and peers that keep the host's queue full. Nobody
// honest is dropped, every line arrives, and the drawer's strokes stay prompt. (How prompt,
// to the millisecond, is bench_host_honest's business; a loaded test machine only shows
// that they are not held up by seconds.)
#include "support/busytable.h"
#include "support/cpuclock.h"

#include "livehost.h"

#include <QElapsedTimer>

using namespace integration;
using support::BusyTable;
using support::Role;

namespace {

// Far below what a stroke waiting behind a backlog took (seconds), far above what a loaded
// machine adds to an idle host's few milliseconds.
constexpr double kPromptMs = 250;

class BusyTableTest : public LiveHost {
protected:
    // Long enough a clock second for nothing to end before the drawing starts; the turn
    // itself is a day long.
    QStringList hostArguments() const override
    {
        return {QStringLiteral("--second-ms"), QStringLiteral("100")};
    }
    void SetUp() override
    {
        LiveHost::SetUp();
        clock.start();
    }
    // Nobody left, nothing the host dropped, every line arrived.
    void expectEveryoneSeatedAndServed(BusyTable& table)
    {
        EXPECT_TRUE(table.settle(kWaitMs)) << "lines still missing";
        EXPECT_TRUE(table.dropped().isEmpty()) << table.dropped().join(u' ').toStdString();
        EXPECT_EQ(host.logCount(QStringLiteral("dropping the connection")), 0);
    }

    QElapsedTimer clock;
};

} // namespace

TEST_F(BusyTableTest, AStalledDrawersBacklogIsRelayedWholeAndTheDrawerStaysSeated)
{
    BusyTable table(host.port(), clock);
    ASSERT_TRUE(table.seat({Role::Drawer, Role::Chatter, Role::Chatter, Role::Chatter}));
    ASSERT_TRUE(table.startDrawing());
    // Ten seconds of busy drawing with a 1000 Hz mouse, held up by the link, arrive at once:
    // three times what the host queues before it stops reading.
    table.deliverBacklog(10000, 30);
    table.play(2000);
    expectEveryoneSeatedAndServed(table);
    EXPECT_GT(table.strokesSent(), 300);
    EXPECT_EQ(table.strokeLateMs().size(), static_cast<size_t>(3 * table.strokesSent()));
}

TEST_F(BusyTableTest, ATableOfTenAtItsBusiestDropsNobodyAndKeepsTheStrokesPrompt)
{
    BusyTable table(host.port(), clock);
    ASSERT_TRUE(
        table.seat({Role::Drawer, Role::Holder, Role::Holder, Role::Holder, Role::Holder,
                    Role::Chatter, Role::Chatter, Role::Chatter, Role::Chatter, Role::Chatter}));
    ASSERT_TRUE(table.startDrawing());
    // Before, two of the four holding Enter were dropped within twelve seconds.
    table.play(15000);
    expectEveryoneSeatedAndServed(table);
    EXPECT_GT(table.strokesSent(), 400);
    EXPECT_LT(support::percentile(table.strokeLateMs(), 0.5), kPromptMs);
    EXPECT_LT(support::percentile(table.chatLateMs(), 0.5), kPromptMs);
    RecordProperty("stroke_p99_ms",
                   static_cast<int>(support::percentile(table.strokeLateMs(), 0.99)));
}

TEST_F(BusyTableTest, PeersKeepingTheQueueFullNeitherDropNorHoldUpTheHonest)
{
    BusyTable table(host.port(), clock);
    ASSERT_TRUE(table.seat({Role::Drawer, Role::Squeezer, Role::Squeezer, Role::Squeezer,
                            Role::Chatter, Role::Chatter, Role::Holder}));
    ASSERT_TRUE(table.startDrawing());
    table.play(12000);
    expectEveryoneSeatedAndServed(table);
    EXPECT_GT(table.pressureRelayed(), 3 * 200); // the squeezers had their share, no more
    EXPECT_LT(support::percentile(table.strokeLateMs(), 0.5), kPromptMs);
    EXPECT_LT(support::percentile(table.chatLateMs(), 0.5), kPromptMs);
}
