#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// Running whole copies of the game on a desktop of their own: an Xvfb server, the X tools
// that look at it (xdotool, xwininfo, ImageMagick's import), and game copies each in a
// folder of its own. Every wait runs the Qt event loop, so test bots in the same process
// keep working meanwhile, and every wait is bounded.
namespace e2e {

// The window caption of the player window.
inline constexpr char kWindowTitle[] = "Quillon - Zelk42 Software";
// The port a hosting copy listens on.
inline constexpr quint16 kGamePort = 7772;

// Bounds for waits on things that normally take milliseconds to a few seconds; generous,
// so that a loaded machine does not fail a test.
inline constexpr int kStartMs = 30000;
inline constexpr int kToolMs = 20000;

// What a helper program did.
struct ToolResult {
    bool finished = false; // ended on its own within the bound
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool ok() const { return finished && exitCode == 0; }
};

// Runs `program` to its end, at most `timeoutMs` (then it is killed and the result is not
// finished).
ToolResult runTool(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment, int timeoutMs = kToolMs);

// Whether nothing listens on 127.0.0.1:port (a connection attempt is refused).
bool portIsFree(quint16 port);

// Where screenshots go: the build folder's e2e-artifacts/NAME.png (the folder is made).
QString artifactPath(const QString& name);

// A virtual X server on a display number it chose itself (-displayfd).
class Display {
public:
    Display() = default;
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Starts Xvfb with one screen of this size; returns whether it is ready for clients.
    bool start(QSize screen = {1280, 1024}, int timeoutMs = kStartMs);
    // Starts a window manager (openbox) that frames the windows; returns once it manages the
    // screen. Without one, windows have no frame at all.
    bool startWindowManager(int timeoutMs = kStartMs);
    void stop();
    bool isRunning() const { return m_xvfb.state() == QProcess::Running; }
    // ":N"
    const QString& name() const { return m_name; }
    QString log() const { return QString::fromLocal8Bit(m_log); }

    // The system environment with DISPLAY set to this display and QT_QPA_PLATFORM removed.
    QProcessEnvironment environment() const;
    ToolResult tool(const QString& program, const QStringList& arguments,
                    int timeoutMs = kToolMs) const;

    // Visible windows with exactly this caption, of process `pid` only when pid > 0.
    QList<quint64> findWindows(qint64 pid = 0, const QString& title = QLatin1String(kWindowTitle),
                               int timeoutMs = kToolMs) const;
    // Every visible window of process `pid`, whatever its caption (menus included).
    QList<quint64> visibleWindows(qint64 pid, int timeoutMs = kToolMs) const;
    // Waits (xdotool search --sync) for the visible window of process `pid` with this caption.
    std::optional<quint64> waitForWindow(qint64 pid,
                                         const QString& title = QLatin1String(kWindowTitle),
                                         int timeoutMs = kStartMs) const;
    // The window's frame as the X server has it (root coordinates).
    std::optional<QRect> geometry(quint64 window) const;
    // The window with the frame the window manager put around it (root coordinates).
    std::optional<QRect> outerGeometry(quint64 window) const;
    // The root window's children, bottom of the stack first.
    QList<quint64> stackingOrder() const;
    // Saves the window's (or, with 0, the whole screen's) picture as artifactPath(name);
    // returns the path, or nothing when import failed.
    std::optional<QString> screenshot(const QString& name, quint64 window = 0) const;
    // Left click at (x, y) relative to the window's top left corner.
    bool click(quint64 window, int x, int y) const;

private:
    QProcess m_xvfb;
    QProcess m_windowManager;
    QByteArray m_log;
    QString m_name;
};

// A folder of its own for one copy of the game: the executable copied into it (so the
// settings file beside it is this copy's own) and a private runtime folder (mode 0700) for
// its single-instance mark.
class GameFolder {
public:
    // `program`: the game's executable as built.
    explicit GameFolder(const QString& program);
    bool isReady() const { return m_ready; }
    QString path() const { return m_dir.path(); }
    QString executable() const;
    QString runtimeDir() const;
    // A home folder of this copy's own (made on first use), for programs that keep their
    // files in the user's folders.
    QString homeDir() const;
    // Copies another program of the build (the launcher) beside the game; returns its path
    // here, or nothing when the copy failed.
    std::optional<QString> addProgram(const QString& program) const;
    QString settingsPath() const;
    // Writes the settings file "zelklobby.ini" with a [Quillon] section holding `lines`.
    bool writeSettings(const QStringList& lines) const;
    // The settings file's text, empty when there is none.
    QByteArray settingsText() const;

private:
    QTemporaryDir m_dir;
    bool m_ready = false;
};

// One run of the game's executable in a GameFolder. Standard error (where a hosting copy's
// host engine logs) is collected as it arrives.
class GameProcess {
public:
    GameProcess();
    ~GameProcess(); // a copy still running is killed and reaped
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Starts the copy on `display` (the xcb platform), or with the offscreen platform when
    // `display` is null.
    bool start(const GameFolder& folder, const QStringList& arguments, const Display* display,
               int timeoutMs = kStartMs);
    // Starts another program of the folder (see GameFolder::addProgram) the same way, with
    // HOME set to the folder's home.
    bool startProgram(const GameFolder& folder, const QString& name, const QStringList& arguments,
                      const Display* display, int timeoutMs = kStartMs);

    // A variable of the environment the next start gives the program (PATH with a stand-in
    // program first, say).
    void setEnvironment(const QString& name, const QString& value) { m_extra.insert(name, value); }

    qint64 pid() const { return m_pid; }
    bool isRunning() const { return m_process->state() != QProcess::NotRunning; }
    QString log();
    bool waitForLog(const QString& text, int timeoutMs = kStartMs);
    // Waits for the copy to end by itself; its exit code, or nothing when it crashed or is
    // still running after `timeoutMs`.
    std::optional<int> waitForExit(int timeoutMs = kStartMs);
    // Sends a signal (SIGKILL by default) and waits for the end.
    bool signal(int number = 9, int timeoutMs = kStartMs);

private:
    bool launch(const GameFolder& folder, const QString& program, const QStringList& arguments,
                const Display* display, int timeoutMs, bool ownHome);
    void collect();
    std::unique_ptr<QProcess> m_process;
    QByteArray m_stderr;
    QProcessEnvironment m_extra;
    qint64 m_pid = 0;
};

} // namespace e2e
