#include "routerlab.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace routertest {

namespace {

constexpr char kPrefix[] = "quillon-router-test-";

// The router's firewall: miniupnpd's nftables backend adds its rules to these chains of the
// inet "filter" table (its defaults) and does not make them itself.
constexpr char kFirewall[] = R"(table inet filter {
    chain forward { type filter hook forward priority 0; policy accept; jump miniupnpd; }
    chain miniupnpd { }
    chain prerouting { type nat hook prerouting priority -100; policy accept; jump prerouting_miniupnpd; }
    chain postrouting { type nat hook postrouting priority 100; policy accept; jump postrouting_miniupnpd; }
    chain prerouting_miniupnpd { }
    chain postrouting_miniupnpd { }
}
)";

QString runQuietly(const QStringList& command, int* exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.first(), command.mid(1));
    process.waitForFinished(30000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit &&
                            process.error() == QProcess::UnknownError
                        ? process.exitCode()
                        : -1;
    return QString::fromLocal8Bit(process.readAll());
}

// Namespaces left by a run of this test that crashed: their process is gone.
void deleteLeftovers()
{
    const QDir netns(QStringLiteral("/run/netns"));
    const QRegularExpression ours(
        QStringLiteral("^%1(?:rt|lan)-(\\d+)-\\d+$").arg(QString::fromLatin1(kPrefix)));
    for (const QString& name : netns.entryList(QDir::Files | QDir::System)) {
        const auto match = ours.match(name);
        if (!match.hasMatch())
            continue;
        const auto pid = static_cast<pid_t>(match.captured(1).toLongLong());
        if (pid != getpid() && kill(pid, 0) != 0)
            runQuietly(
                {QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("del"), name});
    }
}

} // namespace

std::optional<QString> RouterLab::cannotMakeNamespaces()
{
    if (geteuid() != 0)
        return QStringLiteral("not root");
    if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
        return QStringLiteral("no `ip` (iproute2)");
    const QString probe =
        QStringLiteral("%1probe-%2").arg(QString::fromLatin1(kPrefix)).arg(getpid());
    int code = 0;
    const QString output = runQuietly(
        {QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("add"), probe}, &code);
    if (code != 0)
        return QStringLiteral("`ip netns add` failed: %1").arg(output.trimmed());
    runQuietly({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("del"), probe});
    return std::nullopt;
}

RouterLab::RouterLab(const QString& outsideAddress)
{
    static std::atomic<int> labs{0};
    const int number = labs++;
    m_router =
        QStringLiteral("%1rt-%2-%3").arg(QString::fromLatin1(kPrefix)).arg(getpid()).arg(number);
    m_lan =
        QStringLiteral("%1lan-%2-%3").arg(QString::fromLatin1(kPrefix)).arg(getpid()).arg(number);
    deleteLeftovers();
    const QString ip = QStringLiteral("ip");
    const auto on = [&](const QString& ns, QStringList args) {
        args.prepend(ns);
        args.prepend(QStringLiteral("-n"));
        args.prepend(ip);
        return args;
    };
    const QStringList steps[] = {
        {ip, QStringLiteral("netns"), QStringLiteral("add"), m_router},
        {ip, QStringLiteral("netns"), QStringLiteral("add"), m_lan},
        {ip, QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("lan0"),
         QStringLiteral("netns"), m_router, QStringLiteral("type"), QStringLiteral("veth"),
         QStringLiteral("peer"), QStringLiteral("name"), QStringLiteral("eth0"),
         QStringLiteral("netns"), m_lan},
        on(m_router, {QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("wan0"),
                      QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
                      QStringLiteral("name"), QStringLiteral("wan1")}),
        on(m_router, {QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.77.0.1/24"),
                      QStringLiteral("dev"), QStringLiteral("lan0")}),
        on(m_router,
           {QStringLiteral("addr"), QStringLiteral("add"), outsideAddress + QStringLiteral("/24"),
            QStringLiteral("dev"), QStringLiteral("wan0")}),
        on(m_lan, {QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.77.0.2/24"),
                   QStringLiteral("dev"), QStringLiteral("eth0")}),
        on(m_router, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                      QStringLiteral("up")}),
        on(m_router, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lan0"),
                      QStringLiteral("up")}),
        on(m_router, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("wan0"),
                      QStringLiteral("up")}),
        on(m_router, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("wan1"),
                      QStringLiteral("up")}),
        on(m_lan, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                   QStringLiteral("up")}),
        on(m_lan, {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("eth0"),
                   QStringLiteral("up")}),
        on(m_lan, {QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("default"),
                   QStringLiteral("via"), QStringLiteral("10.77.0.1")}),
    };
    for (const QStringList& step : steps)
        if (!run(step))
            return;
    if (!run({ip, QStringLiteral("netns"), QStringLiteral("exec"), m_router, QStringLiteral("nft"),
              QStringLiteral("-f"), QStringLiteral("-")},
             QByteArray(kFirewall)))
        return;
    if (!m_dir.isValid())
        m_error = QStringLiteral("no temporary folder");
}

RouterLab::~RouterLab()
{
    if (m_daemon && m_daemon->state() != QProcess::NotRunning) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(5000)) {
            m_daemon->kill();
            m_daemon->waitForFinished(5000);
        }
    }
    for (const QString& ns : {m_router, m_lan})
        runQuietly({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("del"), ns});
}

bool RouterLab::run(const QStringList& command, const QByteArray& input)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.first(), command.mid(1));
    if (process.waitForStarted(10000)) {
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(30000);
    }
    if (process.exitStatus() == QProcess::NormalExit && process.error() == QProcess::UnknownError &&
        process.exitCode() == 0)
        return true;
    m_error = QStringLiteral("`%1` failed: %2")
                  .arg(command.join(u' '), QString::fromLocal8Bit(process.readAll()).trimmed());
    return false;
}

QString RouterLab::startDaemon(bool upnp)
{
    if (QStandardPaths::findExecutable(QStringLiteral("miniupnpd"),
                                       {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
            .isEmpty())
        return QStringLiteral("miniupnpd is not installed (./dev installs it)");
    const QString config = m_dir.filePath(QStringLiteral("miniupnpd.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1").arg(config);
    file.write(QStringLiteral("ext_ifname=wan0\n"
                              "listening_ip=lan0\n"
                              "http_port=0\n"
                              "enable_upnp=%1\n"
                              "enable_natpmp=yes\n"
                              "secure_mode=yes\n"
                              "system_uptime=yes\n"
                              "uuid=6f1d3c52-7a0e-4b8e-9c1d-51a7e0c0ffee\n"
                              "lease_file=%2\n"
                              "allow 1024-65535 10.77.0.0/24 1024-65535\n"
                              "deny 0-65535 0.0.0.0/0 0-65535\n")
                   .arg(upnp ? QStringLiteral("yes") : QStringLiteral("no"),
                        m_dir.filePath(QStringLiteral("leases")))
                   .toUtf8());
    file.close();

    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessChannelMode(QProcess::MergedChannels);
    // `ip netns exec` execs the daemon in its place, so the signal reaches miniupnpd itself.
    m_daemon->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_daemon->start(QStringLiteral("ip"),
                    {QStringLiteral("netns"), QStringLiteral("exec"), m_router,
                     QStringLiteral("miniupnpd"), QStringLiteral("-d"), QStringLiteral("-f"),
                     config, QStringLiteral("-P"), m_dir.filePath(QStringLiteral("pid"))});
    // The NAT-PMP socket is the last one miniupnpd opens before it serves.
    const QByteArray ready = "Listening for NAT-PMP/PCP traffic";
    QDeadlineTimer deadline(10000);
    while (!m_daemonOutput.contains(ready)) {
        if (m_daemon->state() == QProcess::NotRunning || deadline.hasExpired())
            return QStringLiteral("miniupnpd did not start serving: %1").arg(daemonOutput());
        m_daemon->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        m_daemonOutput += m_daemon->readAll();
    }
    return {};
}

QString RouterLab::daemonOutput() const
{
    return QString::fromLocal8Bit(m_daemonOutput);
}

QString RouterLab::inNamespace(const QString& ns, const QStringList& command) const
{
    QStringList all{QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("exec"), ns};
    all += command;
    return runQuietly(all);
}

QString RouterLab::routerForwardings() const
{
    return inNamespace(m_router,
                       {QStringLiteral("nft"), QStringLiteral("list"), QStringLiteral("chain"),
                        QStringLiteral("inet"), QStringLiteral("filter"),
                        QStringLiteral("prerouting_miniupnpd")});
}

QString RouterLab::upnpListing() const
{
    return inNamespace(m_lan, {QStringLiteral("upnpc"), QStringLiteral("-l")});
}

RouterLab::OnLan::OnLan(const RouterLab& lab)
{
    m_home = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const QByteArray path = QFile::encodeName(QStringLiteral("/run/netns/") + lab.m_lan);
    const int lan = open(path.constData(), O_RDONLY | O_CLOEXEC);
    m_entered = m_home >= 0 && lan >= 0 && setns(lan, CLONE_NEWNET) == 0;
    if (lan >= 0)
        close(lan);
}

RouterLab::OnLan::~OnLan()
{
    if (m_entered)
        setns(m_home, CLONE_NEWNET);
    if (m_home >= 0)
        close(m_home);
}

} // namespace routertest
