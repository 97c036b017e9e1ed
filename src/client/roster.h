#pragma once

#include "client/chatview.h"
#include "client/clientstate.h"
#include "client/eventsounds.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <utility>

namespace client {

// Who sits at the table, as the host announces it: the ten rows (name, score, just
// watching) and the spectators in slots 11 to 15. Components read names and scores here,
// never from each other's labels; the score board and the spectator list follow the
// signals. The roster also handles the host's arrivals, departures and watching changes,
// with their notices and sounds.
class Roster : public QObject {
    Q_OBJECT
public:
    Roster(ClientState& state, ChatView& chat, const EventSounds& sounds,
           QObject* parent = nullptr);

    // Asked for when the host confirms our own arrival, our own departure, and our own
    // watching (true) or playing again (false).
    void setOnOwnArrival(std::function<void()> f) { m_onOwnArrival = std::move(f); }
    void setOnOwnDeparture(std::function<void()> f) { m_onOwnDeparture = std::move(f); }
    void setOnOwnWatching(std::function<void(bool)> f) { m_onOwnWatching = std::move(f); }

    // Message handlers; each takes the payload after the message name and its "+".
    // A player arrives (CMD_newplayerinfo), or was there before us (CMD_existingplayers).
    void newPlayerInfo(const QByteArray& payload);
    void existingPlayer(const QByteArray& payload);
    void refreshPlayerList(const QByteArray& payload);
    void playerDisconnected(const QByteArray& payload);
    void justWatching(const QByteArray& payload);
    // The scores in the turn's messages.
    void correctAnswer(const QByteArray& payload);
    void passed(const QByteArray& payload);
    void teamScore(const QByteArray& payload);
    void gameStats(const QByteArray& payload);
    // A new game: every row's score 0 and nobody watching.
    void resetForGame();

    // The name a row shows (seats::waiting() while free), a spectator's name, or empty.
    QString rowName(int slot) const;
    // Whether a player sits in the row.
    bool taken(int slot) const;
    qint32 score(int slot) const;
    bool watching(int slot) const;
    // The spectator list's entries: slot, ": ", name, in order of arrival.
    QStringList spectatorEntries() const;

Q_SIGNALS:
    // A row's name, score or watching changed.
    void rowChanged(int slot);
    void spectatorsChanged();

private:
    struct Row {
        bool taken = false;
        QString name;
        qint32 score = 0;
        bool watching = false;
    };
    Row* row(int slot);
    const Row* row(int slot) const;
    void setScore(int slot, qint32 score);
    // Scores of rows 1, 2, ... in order, as far as the list goes.
    void setScores(const QList<qint32>& scores);

    ClientState& m_state;
    ChatView& m_chat;
    const EventSounds& m_sounds;
    std::array<Row, seats::kRows + 1> m_rows{}; // index 0 unused
    std::vector<std::pair<int, QString>> m_spectators;
    std::function<void()> m_onOwnArrival;
    std::function<void()> m_onOwnDeparture;
    std::function<void(bool)> m_onOwnWatching;
};

} // namespace client
