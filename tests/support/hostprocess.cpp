#include "support/hostprocess.h"

#include "support/eventloop.h"

#include <QFile>
#include <QRegularExpression>

#include <csignal>
#include <unistd.h>

namespace support {

HostProcess::HostProcess(QString program, QObject* parent) : QObject(parent)
{
    m_process.setProgram(std::move(program));
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardError, this, &HostProcess::collect);
}

HostProcess::~HostProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool HostProcess::startPlain(const QStringList& arguments, int timeoutMs)
{
    m_process.setArguments(arguments);
    m_process.start();
    return m_process.waitForStarted(timeoutMs);
}

bool HostProcess::start(const QStringList& arguments, int timeoutMs)
{
    if (!startPlain(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments,
                    timeoutMs))
        return false;
    static const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
    QRegularExpressionMatch match;
    const bool found = spinUntil(
        [&] {
            match = listening.match(log());
            return match.hasMatch() || !isRunning();
        },
        timeoutMs);
    if (!found || !match.hasMatch())
        return false;
    m_port = static_cast<quint16>(match.captured(1).toUInt());
    return m_port != 0;
}

void HostProcess::collect()
{
    m_stderr += m_process.readAllStandardError();
}

QString HostProcess::log()
{
    collect();
    return QString::fromUtf8(m_stderr);
}

bool HostProcess::waitForLog(const QString& text, int timeoutMs)
{
    return spinUntil([&] { return log().contains(text); }, timeoutMs);
}

qsizetype HostProcess::logCount(const QString& text)
{
    return log().count(text);
}

std::optional<int> HostProcess::stop(int signal, int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return std::nullopt;
    ::kill(static_cast<pid_t>(m_process.processId()), signal);
    if (!spinUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return std::nullopt;
    }
    collect();
    if (m_process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process.exitCode();
}

qint64 HostProcess::residentKb() const
{
    return isRunning() ? memoryKbOf(pid(), "VmRSS") : -1;
}

qint64 HostProcess::peakResidentKb() const
{
    return isRunning() ? memoryKbOf(pid(), "VmHWM") : -1;
}

double HostProcess::cpuSeconds() const
{
    return isRunning() ? cpuSecondsOf(pid()) : -1;
}

qint64 memoryKbOf(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':')) {
            bool ok = false;
            const qint64 kb =
                line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kb : -1;
        }
    }
    return -1;
}

double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The command name (field 2) is in parentheses and may hold blanks; the fields after
    // it start with the state (field 3). utime and stime are fields 14 and 15.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    bool okUser = false;
    bool okSystem = false;
    const qint64 ticks = fields[11].toLongLong(&okUser) + fields[12].toLongLong(&okSystem);
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    if (!okUser || !okSystem || perSecond <= 0)
        return -1;
    return static_cast<double>(ticks) / static_cast<double>(perSecond);
}

} // namespace support
