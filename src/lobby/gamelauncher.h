#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

namespace lobby {

// Starts the game as a child process and tells when it has ended. The game writes to the
// launcher's own standard output and error, so its log goes wherever the launcher's goes
// and outlives the launcher.
class GameLauncher : public QObject {
    Q_OBJECT
public:
    explicit GameLauncher(QString program, QObject* parent = nullptr);
    ~GameLauncher() override;

    const QString& program() const { return m_program; }
    bool isRunning() const;

    // Starts the game with `arguments` in its own folder. False, with the reason in `error`,
    // when the program is missing or cannot be started; `ended` then does not follow.
    bool start(const QStringList& arguments, QString* error);

    // Lets a running game go on after the launcher ends (a QProcess ends its child when it is
    // destroyed).
    void release();

Q_SIGNALS:
    void ended();

private:
    QString m_program;
    QProcess* m_process = nullptr;
};

} // namespace lobby
