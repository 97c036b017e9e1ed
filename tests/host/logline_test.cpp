// The operator's log lines: stamped and named on a terminal or in a file, bare with a
// syslog priority when standard error is the journal's stream.
#include "host/logline.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using host::formatLogLine;
using host::isJournalStream;
using host::LogLevel;

TEST(LogLine, OutsideTheJournalALineCarriesTheProgramsNameAndTheTimeOfDay)
{
    EXPECT_EQ(formatLogLine(LogLevel::Info, QStringLiteral("listening on port 7772"), false,
                            QTime(9, 5, 3, 42)),
              "quillon-host: 09:05:03.042 listening on port 7772\n");
    // The priority shows in the journal only; a terminal reads the same either way.
    EXPECT_EQ(formatLogLine(LogLevel::Error, QStringLiteral("x"), false, QTime(23, 59, 59, 999)),
              "quillon-host: 23:59:59.999 x\n");
}

TEST(LogLine, InTheJournalALineStartsWithItsPriorityAndHasNoStampOfItsOwn)
{
    const QTime noon(12, 0);
    EXPECT_EQ(formatLogLine(LogLevel::Info, QStringLiteral("slot 1: connected"), true, noon),
              "<6>slot 1: connected\n");
    EXPECT_EQ(formatLogLine(LogLevel::Warning, QStringLiteral("table full: connection refused"),
                            true, noon),
              "<4>table full: connection refused\n");
    EXPECT_EQ(
        formatLogLine(LogLevel::Error, QStringLiteral("cannot listen on port 80"), true, noon),
        "<3>cannot listen on port 80\n");
}

TEST(LogLine, AnEventIsOneLineWhateverItsTextHolds)
{
    for (const bool journal : {false, true}) {
        const QByteArray line = formatLogLine(
            LogLevel::Warning, QStringLiteral("bad\nline\r\n<3>forged é"), journal, QTime(1, 2));
        EXPECT_EQ(line.count('\n'), 1) << line.constData();
        EXPECT_FALSE(line.contains('\r')) << line.constData();
        EXPECT_TRUE(line.endsWith("bad line  <3>forged \xC3\xA9\n")) << line.constData();
    }
}

TEST(LogLine, OnlyTheStreamJournalStreamNamesIsTheJournal)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray first = QFile::encodeName(dir.filePath(QStringLiteral("first")));
    const QByteArray second = QFile::encodeName(dir.filePath(QStringLiteral("second")));
    const int fd = ::open(first.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const int other = ::open(second.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_GE(other, 0);
    struct stat status = {};
    ASSERT_EQ(::fstat(fd, &status), 0);
    const QByteArray device = QByteArray::number(static_cast<qulonglong>(status.st_dev));
    const QByteArray inode = QByteArray::number(static_cast<qulonglong>(status.st_ino));
    const QByteArray named = device + ':' + inode;

    EXPECT_TRUE(isJournalStream(fd, named.constData()));
    // Started from a shell inside a service, or with standard error redirected: the
    // variable is inherited but names a stream this one no longer is.
    EXPECT_FALSE(isJournalStream(other, named.constData()));
    EXPECT_FALSE(isJournalStream(fd, nullptr));
    const QByteArray inodeAfter = device + ':' + QByteArray::number(status.st_ino + 1);
    for (const QByteArray& wrong :
         {QByteArray(), inodeAfter, inode + ':' + device, device, device + ':', ':' + inode,
          named + ":1", ' ' + named, '+' + named, device + ":-" + inode}) {
        EXPECT_FALSE(isJournalStream(fd, wrong.constData())) << wrong.constData();
    }
    ::close(fd);
    ::close(other);
}
