#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

namespace support {

// A quillon-host (or any program that logs like it) running as a child process for tests
// and benchmarks. The host is started on a free port; its standard error is collected as
// it arrives while the event loop runs (support::spinUntil and TestBot waits run it).
class HostProcess : public QObject {
    Q_OBJECT
public:
    explicit HostProcess(QString program, QObject* parent = nullptr);
    // A host still running is killed (SIGKILL) and reaped.
    ~HostProcess() override;

    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Starts the program with "--port 0" and `arguments`, and waits for the line
    // "listening on port N" on its standard error. Returns whether a port was read.
    bool start(const QStringList& arguments = {}, int timeoutMs = 10000);
    // Starts the program with exactly `arguments` and without waiting for a port.
    bool startPlain(const QStringList& arguments, int timeoutMs = 10000);

    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    // Everything the program has written to standard error so far.
    QString log();
    // Waits until the log contains `text`; returns whether it did in time.
    bool waitForLog(const QString& text, int timeoutMs = 10000);
    // How many times `text` occurs in the log so far.
    qsizetype logCount(const QString& text);

    // Sends the signal (SIGTERM by default) and waits for the program to end. Returns its
    // exit code, or nullopt when it crashed, was killed by the signal, or did not end in time
    // (then it is killed).
    std::optional<int> stop(int signal = 15, int timeoutMs = 10000);

    // Resident memory (VmRSS) in kilobytes, from /proc; -1 when unreadable.
    qint64 residentKb() const;
    // The highest resident memory so far (VmHWM) in kilobytes; -1 when unreadable.
    qint64 peakResidentKb() const;
    // CPU time (user + system) the program has used, in seconds, from /proc; -1 when
    // unreadable.
    double cpuSeconds() const;

private:
    void collect();

    QProcess m_process;
    QByteArray m_stderr;
    quint16 m_port = 0;
};

// A memory figure of a process from /proc/PID/status ("VmRSS", "VmHWM", ...) in
// kilobytes, or -1.
qint64 memoryKbOf(qint64 pid, const QByteArray& field);
// CPU time (utime + stime) of a process in seconds, or -1.
double cpuSecondsOf(qint64 pid);

} // namespace support
