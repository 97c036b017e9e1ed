#include "lobby/gamelauncher.h"

#include <QFileInfo>
#include <QProcess>

#include <vector>

namespace lobby {

GameLauncher::GameLauncher(QString program, QObject* parent)
    : QObject(parent), m_program(std::move(program))
{}

GameLauncher::~GameLauncher() = default;

bool GameLauncher::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool GameLauncher::start(const QStringList& arguments, QString* error)
{
    if (isRunning()) {
        *error = QStringLiteral("The game is already running.");
        return false;
    }
    const QFileInfo program(m_program);
    if (!program.isFile() || !program.isExecutable()) {
        *error = QStringLiteral("The game is missing: there is no program \"%1\" beside the "
                                "launcher.")
                     .arg(m_program);
        return false;
    }
    if (m_process)
        m_process->deleteLater();
    m_process = new QProcess(this);
    m_process->setProgram(m_program);
    m_process->setArguments(arguments);
    m_process->setWorkingDirectory(program.absolutePath());
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->setInputChannelMode(QProcess::ForwardedInputChannel);
    m_process->start();
    if (!m_process->waitForStarted()) {
        *error = QStringLiteral("The game \"%1\" could not be started: %2")
                     .arg(m_program, m_process->errorString());
        return false;
    }
    QProcess* const process = m_process;
    connect(process, &QProcess::finished, this, [this, process] {
        if (process == m_process)
            Q_EMIT ended();
    });
    return true;
}

void GameLauncher::release()
{
    if (!m_process)
        return;
    // Never destroyed, the process object does not end the game, which the system adopts when
    // the launcher exits. The holder keeps the object reachable for leak checkers; it is
    // never destroyed itself (a static vector would be, before the checker looks at exit).
    static auto* const released = new std::vector<QProcess*>;
    m_process->disconnect(this);
    m_process->setParent(nullptr);
    released->push_back(m_process);
    m_process = nullptr;
}

} // namespace lobby
