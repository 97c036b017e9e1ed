#pragma once

#include "client/chatview.h"
#include "client/clientstate.h"
#include "client/displayclock.h"
#include "client/eventsounds.h"
#include "client/services.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;

namespace ui {
class AnimatedImage;
}

namespace client {

class ClientConnection;
class Roster;

// The turn as the window shows it: the phrase line (drawer only) and the answer line, the
// information bar (category picture, play-to score, time per turn, the clock and its bar),
// the category chooser, the winner panel, and the drawer's pass and the host's start
// buttons. It keeps the current drawer, the display clock and the snapshot caption.
class TurnPanel : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QLabel* fullAnswer;
        QLabel* answer;
        QLabel* categoryPicture;
        QLabel* playToScore;
        QLabel* timePerTurn;
        QLabel* clockText;
        QFrame* clockBar;
        QPushButton* pass;
        QPushButton* start;
        QWidget* chooser;
        QLabel* chooserLine1;
        QLabel* chooserLine2;
        std::array<QAbstractButton*, 7> categories; // button_cat0 .. button_cat6
        QWidget* winnerPanel;
        ui::AnimatedImage* winnerAnimation;
        QLabel* winnerName;
    };

    // `services` belongs to the window and may be completed after construction.
    TurnPanel(const Widgets& widgets, ClientState& state, const Roster& roster, ChatView& chat,
              const EventSounds& sounds, const Services& services, ClientConnection& connection,
              QObject* parent = nullptr);

    // Once the drawer has touched the board, passing is no longer offered.
    void hidePass();

    // Message handlers; each takes the payload after the message name and its "+", and
    // returns what the other parts of the window need of it.
    // Whether the game is a team game.
    bool startTheGame(const QByteArray& payload);
    // The slot that picks, draws or guessed; whether the turn ended unguessed.
    int pickCategory(const QByteArray& payload);
    int nextPlayer(const QByteArray& payload);
    bool updateAnswer(const QByteArray& payload);
    int correctAnswer(const QByteArray& payload);
    void winner(const QByteArray& payload);
    void passed(const QByteArray& payload);
    void gameStats(const QByteArray& payload);
    // The game start dialog closed without starting: the start button is offered again to
    // the window that leads the table, unless a game is being played.
    void startDismissed();
    void updateTime(const QByteArray& payload);
    void giveDrawerAnswer(const QByteArray& payload);

    // One second of the display clock.
    void clockTick();
    const DisplayClock& clock() const { return m_clock; }
    // Date, ": ", drawer, "-", answer of the turn that ended; empty while a turn runs.
    const QString& snapshotCaption() const { return m_snapshotCaption; }
    // The turn that ended last, as it was revealed: the phrase, its drawer's name and the
    // name of who solved it (empty when nobody did).
    struct Revealed {
        QString phrase;
        QString drawer;
        QString solver;
    };
    const Revealed& revealed() const { return m_revealed; }
    // The winner's panel makes way for a picture of the game.
    void putWinnerAway() { hideWinner(); }

Q_SIGNALS:
    // The drawer's window chose a category.
    void categoryChosen(int category);
    // The hosting window's start button, and the game's end that brings it back.
    void startClicked();
    void gameOver();

private:
    void restartClock(int seconds, DisplayClock::Mode mode);
    void startTimer2();
    void timer2Timer();
    void showClock();
    void hideWinner();
    void releaseCategoryButtons();
    void categoryClicked(int category);
    void passClick();
    // Shows and remembers the announced seconds per turn (120 when unreadable).
    void showTurnTime(const QByteArray& field);
    void turnEnded(const QString& drawerName);
    static QString today();

    Widgets m_w;
    ClientState& m_state;
    const Roster& m_roster;
    ChatView& m_chat;
    const EventSounds& m_sounds;
    const Services& m_services;
    ClientConnection& m_connection;
    DisplayClock m_clock;
    QTimer m_timer2;
    QElapsedTimer m_sinceTimer2; // since m_timer2 last fired or started
    int m_turnSeconds = 0;       // announced by the host; 0 until then
    bool m_gameRunning = false;  // from the start (or a newcomer's summary) to the winner
    QString m_snapshotCaption;
    Revealed m_revealed;
};

} // namespace client
