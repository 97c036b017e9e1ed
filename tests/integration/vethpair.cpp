#include "integration/vethpair.h"

#include <QCoreApplication>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace lantest {

namespace {

// Runs `ip` with `arguments`; on failure `why` says what and what ip said.
bool ip(const QStringList& arguments, QString* why)
{
    QProcess p;
    p.start(QStringLiteral("ip"), arguments);
    if (!p.waitForStarted(5000)) {
        *why = QStringLiteral("cannot run ip: ") + p.errorString();
        return false;
    }
    p.waitForFinished(10000);
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    *why = QStringLiteral("ip %1: %2")
               .arg(arguments.join(QLatin1Char(' ')),
                    QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
    return false;
}

} // namespace

VethPair::VethPair()
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    m_nameA = QStringLiteral("quillon-lan-a-") + pid;
    m_nameB = QStringLiteral("quillon-lan-b-") + pid;
}

VethPair::~VethPair()
{
    if (m_home >= 0) {
        setns(m_home, CLONE_NEWNET);
        ::close(m_home);
    }
    QString ignored;
    for (const QString& name : m_made)
        ip({QStringLiteral("netns"), QStringLiteral("delete"), name}, &ignored);
}

bool VethPair::make(QString* why)
{
    if (geteuid() != 0) {
        *why = QStringLiteral("not root");
        return false;
    }
    for (const QString& name : {m_nameA, m_nameB}) {
        if (!ip({QStringLiteral("netns"), QStringLiteral("add"), name}, why))
            return false;
        m_made.append(name);
    }
    // Interface names hold at most 15 characters.
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString vethA = QStringLiteral("qla") + pid;
    const QString vethB = QStringLiteral("qlb") + pid;
    // Made inside A with its peer inside B: neither end ever shows in this namespace.
    const QList<QStringList> steps = {
        {QStringLiteral("-n"), m_nameA, QStringLiteral("link"), QStringLiteral("add"), vethA,
         QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
         QStringLiteral("name"), vethB, QStringLiteral("netns"), m_nameB},
        {QStringLiteral("-n"), m_nameA, QStringLiteral("addr"), QStringLiteral("add"),
         kAddressA + QStringLiteral("/24"), QStringLiteral("brd"), QStringLiteral("+"),
         QStringLiteral("dev"), vethA},
        {QStringLiteral("-n"), m_nameB, QStringLiteral("addr"), QStringLiteral("add"),
         kAddressB + QStringLiteral("/24"), QStringLiteral("brd"), QStringLiteral("+"),
         QStringLiteral("dev"), vethB},
        {QStringLiteral("-n"), m_nameA, QStringLiteral("link"), QStringLiteral("set"), vethA,
         QStringLiteral("up")},
        {QStringLiteral("-n"), m_nameB, QStringLiteral("link"), QStringLiteral("set"), vethB,
         QStringLiteral("up")},
        {QStringLiteral("-n"), m_nameA, QStringLiteral("link"), QStringLiteral("set"),
         QStringLiteral("lo"), QStringLiteral("up")},
        {QStringLiteral("-n"), m_nameB, QStringLiteral("link"), QStringLiteral("set"),
         QStringLiteral("lo"), QStringLiteral("up")},
    };
    for (const QStringList& step : steps) {
        if (!ip(step, why))
            return false;
    }
    return true;
}

bool VethPair::enterB(QString* why)
{
    m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = QByteArrayLiteral("/run/netns/") + m_nameB.toLocal8Bit();
    const int target = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    const bool entered = m_home >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (!entered)
        *why = QStringLiteral("cannot enter %1: %2")
                   .arg(m_nameB, QString::fromLocal8Bit(strerror(errno)));
    if (target >= 0)
        ::close(target);
    return entered;
}

QStringList VethPair::inA(const QString& program, const QStringList& arguments) const
{
    return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), m_nameA, program} +
           arguments;
}

} // namespace lantest
