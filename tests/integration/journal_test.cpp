// quillon-host as a systemd service runs it: standard error is the journal's stream and
// JOURNAL_STREAM names it, so every line carries its syslog priority and no time stamp of
// its own; a hangup closes the table as cleanly as a stop does.
#include "livehost.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>

using namespace integration;

namespace {

QByteArray fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(JournalLog, EachLineCarriesItsPriorityAndAHangupClosesTheHostCleanly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString journal = dir.filePath(QStringLiteral("journal"));
    {
        QFile file(journal);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(journal).constData(), &status), 0);

    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JOURNAL_STREAM"),
                       QStringLiteral("%1:%2")
                           .arg(static_cast<qulonglong>(status.st_dev))
                           .arg(static_cast<qulonglong>(status.st_ino)));
    host.setProcessEnvironment(environment);
    host.setStandardOutputFile(QProcess::nullDevice());
    // Appending keeps the file (and so its inode) the one the variable names.
    host.setStandardErrorFile(journal, QIODevice::Append);
    host.start(hostBinary(), {QStringLiteral("--port"), QStringLiteral("0"),
                              QStringLiteral("--second-ms"), QStringLiteral("20")});
    ASSERT_TRUE(host.waitForStarted(kWaitMs));

    static const QRegularExpression listening(QStringLiteral("^<6>listening on port (\\d+)$"),
                                              QRegularExpression::MultilineOption);
    QRegularExpressionMatch match;
    ASSERT_TRUE(support::spinUntil(
        [&] { return (match = listening.match(QString::fromUtf8(fileText(journal)))).hasMatch(); },
        kWaitMs))
        << fileText(journal).constData();

    support::TestBot ann;
    ASSERT_TRUE(ann.connectTo(static_cast<quint16>(match.captured(1).toUInt())));
    ASSERT_TRUE(ann.login("Ann"));
    ann.sendRaw("CMD_kickhim+2+3+\xFF"); // names a slot that is not Ann's: dropped
    const QByteArray dropped = "<4>slot 1: dropped \"CMD_kickhim+2+3+\"";
    EXPECT_TRUE(support::spinUntil([&] { return fileText(journal).contains(dropped); }, kWaitMs))
        << fileText(journal).constData();

    ::kill(static_cast<pid_t>(host.processId()), SIGHUP);
    ASSERT_TRUE(support::spinUntil([&] { return host.state() == QProcess::NotRunning; }, kWaitMs));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    EXPECT_TRUE(ann.waitForDisconnect(kWaitMs));

    const QByteArray text = fileText(journal);
    EXPECT_TRUE(text.contains("\n<6>slot 1: logged in as \"Ann\"")) << text.constData();
    EXPECT_TRUE(
        text.contains(QByteArray("\n<6>signal ") + QByteArray::number(SIGHUP) + ", closing\n"))
        << text.constData();
    static const QRegularExpression plainLine(
        QStringLiteral("^<[346]>(?!quillon-host: )(?!\\d\\d:\\d\\d:\\d\\d)[^\\n]*$"));
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(plainLine.match(QString::fromUtf8(line)).hasMatch()) << line.constData();
        }
    }
}
