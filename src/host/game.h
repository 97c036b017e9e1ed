#pragma once

#include "host/drawingrecord.h"
#include "host/outbound.h"
#include "host/playertable.h"
#include "host/wordlists.h"

#include <QByteArray>
#include <QList>

namespace host {

enum class TurnState {
    None, // no game, or the game is over
    Picking,
    Drawing,
    Break,
};

// One game on the host: who draws, the category and phrase, the turn clock, passes,
// judging of guesses, scoring and the win check. Time comes in as clockTick() calls (one
// per second while clockRunning()), randomness from the injected source.
//
// A turn runs through three phases named by turnState(): Picking (the drawer chooses a
// category, 11 ticks), Drawing (seconds per turn + 5 ticks unless solved) and Break
// (11 ticks), after which the win check ends the game or the next turn begins.
class Game {
public:
    Game(PlayerTable& players, RandomSource& random, WordLists lists);

    // In a solo practice game a pass draws from the first ten entries and removes nothing.
    void setSolo(bool solo) { m_solo = solo; }
    // Without a player window hosting, nobody's departure ends the host, so the turns go on
    // while slot 1 is empty instead of waiting for it.
    void setDedicated(bool dedicated) { m_dedicated = dedicated; }

    // Message handlers; the fields are read and the sender checked by the caller. The
    // seconds per turn are kept within limits::kMinTurnSeconds..kMaxTurnSeconds.
    void start(int starter, bool team, qint32 target, qint32 seconds);
    void pickCategory(int slot, qint32 category);
    void pass(int slot);
    void answer(int slot, const QByteArray& guess);

    void clockTick();
    bool clockRunning() const { return m_clockOn; }
    // Counts every time the clock is switched on; a new count restarts the second.
    quint64 clockStarts() const { return m_clockStarts; }

    // The next turn: called at game start and after a break.
    void findPlayer();
    // The drawer has left or starts watching: a turn being picked or drawn passes on at once
    // (after a time-out too, when the game is not "running" until the next phrase); in a
    // break the turn is over already, and the break ends with its win check as usual.
    void drawerGone();

    bool running() const { return m_running; }
    int drawer() const { return m_drawer; }
    int category() const { return m_category; }
    const QByteArray& mask() const { return m_mask; }
    const QByteArray& phrase() const { return m_phrase; }
    TurnState turnState() const { return m_turnState; }
    int clock() const { return m_clock; }
    qint32 targetScore() const { return m_target; }
    qint32 turnSeconds() const { return m_turnSeconds; }
    const WordLists& wordLists() const { return m_lists; }

    // The strokes of the current turn, replayed to newcomers; emptied at every turn start.
    DrawingRecord& drawingRecord() { return m_record; }
    const DrawingRecord& drawingRecord() const { return m_record; }

private:
    static constexpr int kNotChosen = 100;

    void switchClock(bool on);
    void findPhrases();
    void timeUp();
    bool checkForWin();
    QByteArray teamWinner(qint32 target) const;
    QByteArray playerWinner(qint32 target) const;
    // A time-out or a pass costs the drawer a point; in a team game the drawer's side.
    qint32 penaliseDrawer();
    void sendTeamScores();
    void endGame();
    // Draws entries until one passes the duplicate test; every drawn entry is removed.
    QByteArray drawPhrase();
    // A category whose list still has entries, preferring `wanted`.
    int categoryWithEntries(int wanted);
    void judgeWord(int slot, const QByteArray& word);
    void hintIfClose(int slot, const QByteArray& word);
    void scoreSolved(int guesser);
    void addToSide(int slot, qint32 points);

    PlayerTable& m_players;
    RandomSource& m_random;
    WordLists m_lists;
    const WordLists m_pristine;
    bool m_solo = false;
    bool m_dedicated = false;

    bool m_running = false;
    bool m_team = false;
    qint32 m_target = 0;
    qint32 m_turnSeconds = 0;
    int m_drawer = 0;
    int m_category = kNotChosen;
    QByteArray m_phrase;
    QByteArray m_mask;
    QList<QByteArray> m_words; // the phrase's pieces in the word list's letter case
    TurnState m_turnState = TurnState::None;
    int m_clock = 0;
    bool m_solved = false;
    bool m_clockOn = false;
    quint64 m_clockStarts = 0;

    DrawingRecord m_record;
};

} // namespace host
