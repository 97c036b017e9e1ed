#pragma once

// What a launcher window needs around it in a test: a stand-in game (a script that writes
// its command line to "args" beside it and runs until a file "quit" appears there), a real
// listener for the game's link on a free port, and the window's parts with a resolver that
// finds every name.
#include "lobby/gamelauncher.h"
#include "lobby/launcherwindow.h"
#include "lobby/lobbylistener.h"

#include <QFile>
#include <QTemporaryDir>

namespace integrationtest {

class StandInLauncher {
public:
    StandInLauncher()
    {
        QFile script(m_dir.filePath(QStringLiteral("quillon")));
        m_ready = script.open(QIODevice::WriteOnly) &&
                  script.write("#!/bin/sh\n"
                               "here=$(dirname \"$0\")\n"
                               "printf '%s\\n' \"$@\" > \"$here/args\"\n"
                               "while [ -d \"$here\" ] && [ ! -e \"$here/quit\" ]; do "
                               "sleep 0.02; done\n") > 0;
        script.close();
        m_ready = m_ready && script.setPermissions(script.permissions() | QFile::ExeOwner) &&
                  m_listener.listen(0);
        parts.settingsPath = m_dir.filePath(QStringLiteral("zelklobby.ini"));
        parts.game = &m_game;
        parts.listener = &m_listener;
        parts.lookUp = [](const QString&, QObject*, std::function<void(QString)> done) {
            done({});
        };
    }
    ~StandInLauncher() { quitGame(); }

    bool isReady() const { return m_ready; }
    // The stand-in game's command line, one argument a line; empty until it ran.
    QByteArray gameArguments() const
    {
        QFile args(m_dir.filePath(QStringLiteral("args")));
        return args.open(QIODevice::ReadOnly) ? args.readAll() : QByteArray();
    }
    void quitGame() const
    {
        QFile quit(m_dir.filePath(QStringLiteral("quit")));
        quit.open(QIODevice::WriteOnly);
    }

    lobby::LauncherWindow::Parts parts;

private:
    QTemporaryDir m_dir;
    lobby::GameLauncher m_game{m_dir.filePath(QStringLiteral("quillon"))};
    lobby::LobbyListener m_listener;
    bool m_ready = false;
};

} // namespace integrationtest
