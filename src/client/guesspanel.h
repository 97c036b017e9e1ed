#pragma once

#include "client/clientstate.h"

#include <QObject>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace client {

class ClientConnection;
class Roster;

// Guessing: the guess entry under the board with the guesses as a guesser sees them, and
// the drawer's list of every guess. Spectators see the guesses without an entry.
class GuessPanel : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QWidget* panel;
        QLabel* caption;
        QLineEdit* entry;
        QPlainTextEdit* myGuesses;     // memo_myguessed
        QPlainTextEdit* drawerGuesses; // memo_guessed, on the drawer's toolbar
        QWidget* typingElsewhere;      // takes the typing when the entry goes away (mychat)
    };
    // Lines each list keeps; they are emptied at every turn anyway.
    static constexpr int kMaxLines = 500;

    GuessPanel(const Widgets& widgets, const ClientState& state, const Roster& roster,
               ClientConnection& connection, QObject* parent = nullptr);

    // A new game and the end of a turn put the entry away; a turn shows it to guessers.
    void startGame();
    void startTurn(int drawer);
    void endTurn();
    // Message handlers; each takes the payload after the message name and its "+".
    void guessed(const QByteArray& payload);
    void myGuessed(const QByteArray& payload);
    void veryClose(const QByteArray& payload);

private:
    // A guesser's typing goes into the entry at the start of a turn, unless the player is
    // halfway through a line in another field.
    void takeTyping();
    // Hides the panel or the entry; typing that went into the entry goes on in
    // typingElsewhere, not into whatever Qt would focus next (a quick-phrase button once).
    void putAway(QWidget* part);
    // Enter in the guess entry: the guess goes out as typed, an empty one too.
    void sendGuess();

    Widgets m_w;
    const ClientState& m_state;
    const Roster& m_roster;
    ClientConnection& m_connection;
};

} // namespace client
