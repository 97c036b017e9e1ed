#include "client/singleinstance.h"
#include "support/eventloop.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

using client::SingleInstance;

namespace {

constexpr char kCrashFolderVariable[] = "QUILLON_TEST_CRASHING_COPY_FOLDER";
constexpr int kCrashExitCode = 42;

// Counts the raise requests a copy receives.
struct RaiseCounter {
    explicit RaiseCounter(SingleInstance& copy)
    {
        QObject::connect(&copy, &SingleInstance::raiseRequested, [this] { ++count; });
    }
    int count = 0;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir runtime;
};

TEST_F(SingleInstanceTest, ALaterCopyIsRefusedAndBringsTheFirstForward)
{
    SingleInstance first(runtime.path());
    ASSERT_TRUE(first.acquire());
    RaiseCounter firstRaises(first);

    SingleInstance second(runtime.path());
    RaiseCounter secondRaises(second);
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(support::spinUntil([&] { return firstRaises.count == 1; }));

    SingleInstance third(runtime.path());
    EXPECT_FALSE(third.acquire());
    EXPECT_TRUE(support::spinUntil([&] { return firstRaises.count == 2; }));

    support::spinFor(100);
    EXPECT_EQ(firstRaises.count, 2) << "one request per later start";
    EXPECT_EQ(secondRaises.count, 0);
}

TEST_F(SingleInstanceTest, TheMarkIsFreeAgainOnceTheFirstCopyEnds)
{
    {
        SingleInstance first(runtime.path());
        ASSERT_TRUE(first.acquire());
    }
    SingleInstance next(runtime.path());
    ASSERT_TRUE(next.acquire());
    RaiseCounter raises(next);

    SingleInstance later(runtime.path());
    EXPECT_FALSE(later.acquire());
    EXPECT_TRUE(support::spinUntil([&] { return raises.count == 1; }));
}

TEST_F(SingleInstanceTest, AnotherRuntimeFolderIsAnotherDesktopSession)
{
    QTemporaryDir otherSession;
    SingleInstance first(runtime.path());
    SingleInstance second(otherSession.path());
    RaiseCounter raises(first);
    EXPECT_TRUE(first.acquire());
    EXPECT_TRUE(second.acquire());
    support::spinFor(100);
    EXPECT_EQ(raises.count, 0);
}

TEST_F(SingleInstanceTest, ACrashedCopyDoesNotBlockTheNextStart)
{
    QProcess crashing;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kCrashFolderVariable), runtime.path());
    crashing.setProcessEnvironment(environment);
    crashing.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--gtest_also_run_disabled_tests"),
                    QStringLiteral("--gtest_filter=CrashingCopy.DISABLED_TakesTheMarkAndDies")});
    ASSERT_TRUE(crashing.waitForFinished(20000));
    ASSERT_EQ(crashing.exitCode(), kCrashExitCode) << crashing.readAllStandardError().constData();

    SingleInstance next(runtime.path());
    ASSERT_TRUE(QFile::exists(next.lockFilePath())) << "the crashed copy left its lock behind";
    ASSERT_TRUE(QFile::exists(next.serverName())) << "and its server's socket";
    ASSERT_TRUE(next.acquire());
    RaiseCounter raises(next);

    SingleInstance later(runtime.path());
    EXPECT_FALSE(later.acquire());
    EXPECT_TRUE(support::spinUntil([&] { return raises.count == 1; }));
}

TEST_F(SingleInstanceTest, AnEmptyLockLeftByACopyThatDiedStartingIsTakenOver)
{
    SingleInstance next(runtime.path());
    QFile emptyLock(next.lockFilePath());
    ASSERT_TRUE(emptyLock.open(QIODevice::WriteOnly));
    emptyLock.close();

    EXPECT_TRUE(next.acquire());
    SingleInstance later(runtime.path());
    EXPECT_FALSE(later.acquire()) << "the mark is really held now";
}

TEST_F(SingleInstanceTest, AHeldLockIsRespectedEvenWhenItsHolderDoesNotAnswer)
{
    SingleInstance copy(runtime.path());
    QLockFile holder(copy.lockFilePath()); // a live copy that never started its server
    ASSERT_TRUE(holder.tryLock(0));

    EXPECT_FALSE(copy.acquire());
    EXPECT_TRUE(QFile::exists(copy.lockFilePath()));
}

TEST_F(SingleInstanceTest, WithoutAUsableRuntimeFolderTheProgramStillRuns)
{
    const QString notAFolder = runtime.filePath(QStringLiteral("file"));
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    SingleInstance copy(notAFolder);
    EXPECT_TRUE(copy.acquire());
    EXPECT_TRUE(QFileInfo(notAFolder).isFile());
}

// Run only as the child of ACrashedCopyDoesNotBlockTheNextStart: takes the mark and ends the
// process without any clean-up, as a crash would.
TEST(CrashingCopy, DISABLED_TakesTheMarkAndDies)
{
    const QString folder = qEnvironmentVariable(kCrashFolderVariable);
    if (folder.isEmpty())
        GTEST_SKIP() << "only run by ACrashedCopyDoesNotBlockTheNextStart";
    SingleInstance copy(folder);
    if (!copy.acquire())
        std::_Exit(1);
    std::_Exit(kCrashExitCode);
}

} // namespace
