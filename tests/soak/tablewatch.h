#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

// What the bots together see of the table over an evening: games started and won, turns,
// answers, and when the turn last changed hands. Each bot reports what it hears; times are
// the same whoever reports them, counts come from one bot at a time (the counting bot), so a
// message that reaches eleven bots is counted once.
namespace soak {

class SoakBot;

struct TableCounts {
    int games = 0;
    int wins = 0;
    int turns = 0;
    int solved = 0;
    int revealed = 0; // turns that ran out
    int strokes = 0;  // CMD_draw lines sent by the bots
    int chats = 0;    // chat and action lines sent
    int guesses = 0;  // answers sent
    int rightGuesses = 0;
    int departures = 0; // bots that left (orderly or with a reset)
    int resets = 0;
    int arrivals = 0;
    int departuresAnnounced = 0;
    int chatsHeard = 0;       // chat lines heard, by all bots together
    qint64 slowestChatMs = 0; // the longest a chat line took to reach a bot
};

class TableWatch {
public:
    enum class Heard { GameStarted, Winner, PickCategory, NextPlayer, Solved, Revealed };

    explicit TableWatch(int secondMs);

    // A message a bot heard from the host.
    void heard(const SoakBot* bot, Heard what);
    // The bot is gone; another one counts from now on.
    void forget(const SoakBot* bot);
    // The host told the table that the player in `slot` left.
    void departureAnnounced(const SoakBot* bot, int slot);
    // A chat line sent at sentAtMs (of nowMs()) has reached a bot.
    void chatArrived(qint64 sentAtMs);
    qint64 nowMs() const { return m_clock.elapsed(); }

    // The host's log, read as it grows: "slot N draws "PHRASE" (category C)" names the
    // phrase of the turn (the operator's log is the one place it is written).
    void readHostLog(const QString& log);
    // The phrase slot `drawer` draws now, or empty when the log has not named it yet.
    QByteArray phraseOf(int drawer) const;

    // A game is on: started and not won. (With players at the table a game only ends with a
    // winner; one that falls silent instead is a stall.)
    bool gameRunning() const { return m_started; }
    // Milliseconds since the turn last changed (a drawer asked to pick, or handed a phrase).
    qint64 sinceTurnChangeMs() const;
    // Milliseconds since the last game was won, or since the watch began.
    qint64 sinceGameEndedMs() const;

    // The slots whose departure the host announced, in order.
    const QList<int>& departedSlots() const { return m_departedSlots; }
    TableCounts& counts() { return m_counts; }
    const TableCounts& counts() const { return m_counts; }
    int secondMs() const { return m_secondMs; }

private:
    bool counts(const SoakBot* bot);

    int m_secondMs;
    QElapsedTimer m_clock;
    const SoakBot* m_counter = nullptr;
    bool m_started = false; // a CMD_startgame since the last winner
    qint64 m_lastTurnChange = 0;
    qint64 m_lastEnd = 0;
    qsizetype m_logRead = 0;
    int m_phraseDrawer = 0;
    QByteArray m_phrase;
    TableCounts m_counts;
    QList<int> m_departedSlots;
};

} // namespace soak
