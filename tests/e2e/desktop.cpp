#include "e2e/desktop.h"

#include "support/eventloop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpSocket>

#include <csignal>

namespace e2e {

namespace {

// Runs the event loop until the process has ended or the time is up; kills it then.
bool finishWithin(QProcess& process, int timeoutMs)
{
    if (support::spinUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs))
        return true;
    process.kill();
    process.waitForFinished(5000);
    return false;
}

QString windowArgument(quint64 window)
{
    return QStringLiteral("0x") + QString::number(window, 16);
}

QList<quint64> readWindowIds(const QByteArray& text)
{
    QList<quint64> ids;
    for (const QByteArray& line : text.split('\n')) {
        bool ok = false;
        const quint64 id = line.trimmed().toULongLong(&ok);
        if (ok)
            ids.append(id);
    }
    return ids;
}

} // namespace

ToolResult runTool(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment, int timeoutMs)
{
    ToolResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProgram(program);
    process.setArguments(arguments);
    process.start();
    if (!process.waitForStarted(timeoutMs)) {
        result.err = process.errorString().toLocal8Bit();
        return result;
    }
    result.finished = finishWithin(process, timeoutMs);
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    if (result.finished && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

bool portIsFree(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    support::spinUntil(
        [&] {
            return probe.state() != QAbstractSocket::ConnectingState &&
                   probe.state() != QAbstractSocket::HostLookupState;
        },
        kToolMs);
    const bool refused = probe.state() == QAbstractSocket::UnconnectedState;
    probe.abort();
    return refused;
}

QString artifactPath(const QString& name)
{
    const QDir folder(QStringLiteral(QUILLON_ARTIFACTS_DIR));
    folder.mkpath(QStringLiteral("."));
    return folder.filePath(name + QStringLiteral(".png"));
}

// ---- Display --------------------------------------------------------------------------

Display::~Display()
{
    stop();
}

bool Display::start(QSize screen, int timeoutMs)
{
    // -displayfd 1: Xvfb picks a free display number and writes it to its standard output
    // once clients can connect.
    m_xvfb.setProgram(QStringLiteral("Xvfb"));
    m_xvfb.setArguments(
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
         QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    m_xvfb.start();
    if (!m_xvfb.waitForStarted(timeoutMs))
        return false;
    QByteArray out;
    const bool told = support::spinUntil(
        [&] {
            out += m_xvfb.readAllStandardOutput();
            m_log += m_xvfb.readAllStandardError();
            return out.contains('\n') || !isRunning();
        },
        timeoutMs);
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!told || !ok || !isRunning()) {
        stop();
        return false;
    }
    m_name = QLatin1Char(':') + QString::number(number);
    return true;
}

bool Display::startWindowManager(int timeoutMs)
{
    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.setProgram(QStringLiteral("openbox"));
    m_windowManager.setArguments({QStringLiteral("--sm-disable")});
    m_windowManager.start();
    if (!m_windowManager.waitForStarted(timeoutMs))
        return false;
    // A window manager announces itself on the root window.
    return support::spinUntil(
        [&] {
            const ToolResult r =
                tool(QStringLiteral("xprop"),
                     {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            return r.ok() && r.out.contains("window id");
        },
        timeoutMs);
}

void Display::stop()
{
    if (m_windowManager.state() != QProcess::NotRunning) {
        m_windowManager.terminate();
        finishWithin(m_windowManager, kToolMs);
    }
    if (m_xvfb.state() == QProcess::NotRunning)
        return;
    m_xvfb.terminate();
    if (!finishWithin(m_xvfb, kToolMs))
        m_log += "Xvfb did not end on SIGTERM and was killed\n";
}

QProcessEnvironment Display::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DISPLAY"), m_name);
    return env;
}

ToolResult Display::tool(const QString& program, const QStringList& arguments, int timeoutMs) const
{
    return runTool(program, arguments, environment(), timeoutMs);
}

QList<quint64> Display::findWindows(qint64 pid, const QString& title, int timeoutMs) const
{
    // --all: every condition must hold (xdotool otherwise takes any of them).
    QStringList args{QStringLiteral("search"), QStringLiteral("--all"),
                     QStringLiteral("--onlyvisible")};
    if (pid > 0)
        args << QStringLiteral("--pid") << QString::number(pid);
    args << QStringLiteral("--name")
         << QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    // xdotool ends with 1 when nothing matched; that is an empty answer, not a failure.
    return readWindowIds(tool(QStringLiteral("xdotool"), args, timeoutMs).out);
}

QList<quint64> Display::visibleWindows(qint64 pid, int timeoutMs) const
{
    // An empty pattern matches any name or class.
    return readWindowIds(tool(QStringLiteral("xdotool"),
                              {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--pid"), QString::number(pid), QString()},
                              timeoutMs)
                             .out);
}

std::optional<quint64> Display::waitForWindow(qint64 pid, const QString& title, int timeoutMs) const
{
    const ToolResult found =
        tool(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--all"),
              QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid),
              QStringLiteral("--name"),
              QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')},
             timeoutMs);
    const QList<quint64> ids = readWindowIds(found.out);
    if (!found.ok() || ids.size() != 1)
        return std::nullopt;
    return ids.front();
}

std::optional<QRect> Display::geometry(quint64 window) const
{
    const ToolResult r =
        tool(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                         QStringLiteral("--shell"), QString::number(window)});
    if (!r.ok())
        return std::nullopt;
    QRect rect;
    int seen = 0;
    for (const QByteArray& line : r.out.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        bool ok = false;
        const int value = line.mid(eq + 1).trimmed().toInt(&ok);
        if (!ok)
            continue;
        if (key == "X")
            rect.moveLeft(value);
        else if (key == "Y")
            rect.moveTop(value);
        else if (key == "WIDTH")
            rect.setWidth(value);
        else if (key == "HEIGHT")
            rect.setHeight(value);
        else
            continue;
        ++seen;
    }
    if (seen != 4)
        return std::nullopt;
    return rect;
}

std::optional<QRect> Display::outerGeometry(quint64 window) const
{
    // The client window's place on the screen, and the frame's extents around it.
    const ToolResult info =
        tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const ToolResult extents =
        tool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                       QStringLiteral("_NET_FRAME_EXTENTS")});
    if (!info.ok() || !extents.ok())
        return std::nullopt;
    const auto field = [&](const char* label) {
        static const QRegularExpression number(QStringLiteral("(-?\\d+)"));
        for (const QByteArray& line : info.out.split('\n')) {
            if (line.contains(label))
                return number.match(QString::fromLatin1(line.mid(line.indexOf(':'))))
                    .captured(1)
                    .toInt();
        }
        return 0;
    };
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QList<QByteArray> sides = extents.out.mid(extents.out.indexOf('=') + 1).split(',');
    if (sides.size() != 4)
        return std::nullopt;
    const int left = sides[0].trimmed().toInt();
    const int right = sides[1].trimmed().toInt();
    const int top = sides[2].trimmed().toInt();
    const int bottom = sides[3].trimmed().toInt();
    return QRect(field("Absolute upper-left X") - left, field("Absolute upper-left Y") - top,
                 field("Width:") + left + right, field("Height:") + top + bottom);
}

QList<quint64> Display::stackingOrder() const
{
    // xwininfo lists the children top of the stack first.
    const ToolResult r =
        tool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    QList<quint64> bottomFirst;
    if (!r.ok())
        return bottomFirst;
    static const QRegularExpression child(QStringLiteral("^\\s+0x([0-9a-fA-F]+)\\s"));
    for (const QByteArray& line : r.out.split('\n')) {
        const QRegularExpressionMatch m = child.match(QString::fromLocal8Bit(line));
        if (m.hasMatch())
            bottomFirst.prepend(m.captured(1).toULongLong(nullptr, 16));
    }
    return bottomFirst;
}

std::optional<QString> Display::screenshot(const QString& name, quint64 window) const
{
    const QString path = artifactPath(name);
    QFile::remove(path);
    const ToolResult r =
        tool(QStringLiteral("import"),
             {QStringLiteral("-display"), m_name, QStringLiteral("-window"),
              window == 0 ? QStringLiteral("root") : windowArgument(window), path});
    if (!r.ok() || !QFile::exists(path))
        return std::nullopt;
    return path;
}

bool Display::click(quint64 window, int x, int y) const
{
    // No --sync: it waits for the pointer to move, forever when it is there already. The
    // server carries out the move and the click in the order they were sent anyway.
    return tool(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
                 QString::number(x), QString::number(y), QStringLiteral("click"),
                 QStringLiteral("1")})
        .ok();
}

// ---- GameFolder -----------------------------------------------------------------------

GameFolder::GameFolder(const QString& program)
    : m_dir(QDir(QDir::tempPath()).filePath(QStringLiteral("quillon-e2e-XXXXXX")))
{
    if (!m_dir.isValid() || !QFile::copy(program, executable()))
        return;
    QFile::setPermissions(executable(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!QDir(m_dir.path()).mkdir(QStringLiteral("runtime")))
        return;
    m_ready = QFile::setPermissions(runtimeDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner);
}

QString GameFolder::executable() const
{
    return m_dir.filePath(QStringLiteral("quillon"));
}

QString GameFolder::runtimeDir() const
{
    return m_dir.filePath(QStringLiteral("runtime"));
}

QString GameFolder::homeDir() const
{
    const QString home = m_dir.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    return home;
}

std::optional<QString> GameFolder::addProgram(const QString& program) const
{
    const QString copy = m_dir.filePath(QFileInfo(program).fileName());
    if (!QFile::copy(program, copy) ||
        !QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ExeOwner))
        return std::nullopt;
    return copy;
}

QString GameFolder::settingsPath() const
{
    return m_dir.filePath(QStringLiteral("zelklobby.ini"));
}

bool GameFolder::writeSettings(const QStringList& lines) const
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray text = "[Quillon]\n";
    for (const QString& line : lines)
        text += line.toLatin1() + '\n';
    return file.write(text) == text.size();
}

QByteArray GameFolder::settingsText() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---- GameProcess ----------------------------------------------------------------------

GameProcess::GameProcess() : m_process(std::make_unique<QProcess>())
{
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(m_process.get(), &QProcess::readyReadStandardError, [this] { collect(); });
}

GameProcess::~GameProcess()
{
    if (isRunning()) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool GameProcess::start(const GameFolder& folder, const QStringList& arguments,
                        const Display* display, int timeoutMs)
{
    return launch(folder, folder.executable(), arguments, display, timeoutMs, false);
}

bool GameProcess::startProgram(const GameFolder& folder, const QString& name,
                               const QStringList& arguments, const Display* display, int timeoutMs)
{
    return launch(folder, QDir(folder.path()).filePath(name), arguments, display, timeoutMs, true);
}

bool GameProcess::launch(const GameFolder& folder, const QString& program,
                         const QStringList& arguments, const Display* display, int timeoutMs,
                         bool ownHome)
{
    QProcessEnvironment env =
        display ? display->environment() : QProcessEnvironment::systemEnvironment();
    if (!display) {
        env.remove(QStringLiteral("DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.runtimeDir());
    env.insert(m_extra);
    if (ownHome) {
        env.insert(QStringLiteral("HOME"), folder.homeDir());
        for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            env.remove(QString::fromLatin1(xdg));
    }
    m_process->setProcessEnvironment(env);
    m_process->setWorkingDirectory(folder.path());
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_process->start();
    if (!m_process->waitForStarted(timeoutMs))
        return false;
    m_pid = m_process->processId();
    return true;
}

void GameProcess::collect()
{
    m_stderr += m_process->readAllStandardError();
}

QString GameProcess::log()
{
    collect();
    return QString::fromUtf8(m_stderr);
}

bool GameProcess::waitForLog(const QString& text, int timeoutMs)
{
    return support::spinUntil([&] { return log().contains(text); }, timeoutMs);
}

std::optional<int> GameProcess::waitForExit(int timeoutMs)
{
    if (!support::spinUntil([&] { return !isRunning(); }, timeoutMs))
        return std::nullopt;
    collect();
    if (m_process->exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process->exitCode();
}

bool GameProcess::signal(int number, int timeoutMs)
{
    if (!isRunning())
        return false;
    ::kill(static_cast<pid_t>(m_pid), number);
    return support::spinUntil([&] { return !isRunning(); }, timeoutMs);
}

} // namespace e2e
