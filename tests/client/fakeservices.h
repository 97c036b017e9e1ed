#pragma once

#include "client/services.h"
#include "client/tchat.h"
#include "protocol/message.h"

#include <QByteArrayList>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace clienttest {

class RecordingSounds : public client::SoundPlayer {
public:
    void play(const QByteArray& name) override { played.append(name); }
    QByteArrayList played;
};

class RecordingDialogs : public client::Dialogs {
public:
    void inform(const QString& text) override
    {
        shown.append(text);
        if (whileOpen)
            whileOpen();
    }
    QStringList shown;
    std::function<void()> whileOpen;
};

class FakeSideWindows : public client::SideWindows {
public:
    void showGameStart() override { ++gameStartShown; }
    QString timePerTurnText() const override { return timePerTurn; }
    void showHelp() override { ++helpShown; }
    void showAbout() override { ++aboutShown; }
    void showPhraseEditor(const std::array<QString, 9>& phrases) override
    {
        editorPhrases = phrases;
    }
    void showSnapshots() override { ++snapshotsShown; }
    void showSpyList() override { ++spyListShown; }
    void setSpectators(const QStringList& entries) override { spectators = entries; }
    void setHosting(bool on) override { hosting = on; }
    void showLobbyDownloader() override { ++downloaderShown; }
    std::array<QString, 9> editorPhrases;
    QStringList spectators;
    bool hosting = false;
    int snapshotsShown = 0;
    int spyListShown = 0;
    int downloaderShown = 0;
    int gameStartShown = 0;
    int helpShown = 0;
    int aboutShown = 0;
    QString timePerTurn = QStringLiteral("120");
};

// Keeps the snapshots in memory; `failWith` makes every save fail with that text.
class RecordingSnapshots : public client::SnapshotStore {
public:
    std::optional<QString> save(const QImage& picture, int number) override
    {
        if (!failWith.isEmpty())
            return failWith;
        saved.append({number, picture.copy()});
        return std::nullopt;
    }
    QString folder() const override { return folderPath; }
    QList<std::pair<int, QImage>> saved;
    QString failWith;
    QString folderPath;
};

// A player window with recording side effects and a settings file of its own, fed with
// host messages exactly as its socket would deliver them.
struct WindowUnderTest {
    WindowUnderTest()
    {
        client::Services services;
        services.sounds = &sounds;
        services.dialogs = &dialogs;
        services.sideWindows = &side;
        services.snapshots = &snapshots;
        services.settingsPath = dir.filePath(QStringLiteral("zelklobby.ini"));
        window = std::make_unique<client::Tchat>(services);
    }

    // Queues one message and drains the queue completely.
    void host(const QByteArray& message)
    {
        window->connection().receive(message + protocol::kTerminator);
        while (window->connection().hasQueuedMessages())
            window->connection().drainTick();
    }

    QTemporaryDir dir;
    RecordingSounds sounds;
    RecordingDialogs dialogs;
    FakeSideWindows side;
    RecordingSnapshots snapshots;
    std::unique_ptr<client::Tchat> window;
};

} // namespace clienttest
