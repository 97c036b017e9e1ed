#pragma once

#include "client/services.h"

#include <QByteArrayList>
#include <QStringList>

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
    int gameStartShown = 0;
    int helpShown = 0;
    int aboutShown = 0;
    QString timePerTurn = QStringLiteral("120");
};

} // namespace clienttest
