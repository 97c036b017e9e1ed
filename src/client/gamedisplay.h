#pragma once

#include "client/chatview.h"
#include "client/clientstate.h"
#include "client/displayclock.h"
#include "client/services.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

class QLabel;

namespace Ui {
class Tchat;
}

namespace client {

// The game as the host announces it: score board, arrivals and departures, the category
// chooser, turn start and end, the answer line, the clock, guesses and the winner. Every
// handler takes the message's payload (the text after its name and "+").
class GameDisplay : public QObject {
    Q_OBJECT
public:
    // `services` belongs to the window and may be completed after construction.
    GameDisplay(Ui::Tchat& ui, ClientState& state, ChatView& chat, const Services& services,
                QObject* parent = nullptr);

    // Asked for when the host confirms our own arrival.
    void setLoadSettings(std::function<void()> load) { m_loadSettings = std::move(load); }
    // Asked for when a category button is clicked on the drawer's window.
    void setSendCategory(std::function<void(int)> send) { m_sendCategory = std::move(send); }
    // The window closes (our own departure).
    void setCloseWindow(std::function<void()> close) { m_closeWindow = std::move(close); }

    void newPlayerInfo(const QByteArray& payload);
    void refreshPlayerList(const QByteArray& payload);
    void startTheGame(const QByteArray& payload);
    void pickCategory(const QByteArray& payload);
    void getNextPlayer(const QByteArray& payload);
    void updateAnswer(const QByteArray& payload);
    void correctAnswer(const QByteArray& payload);
    void winner(const QByteArray& payload);
    void playerDisconnected(const QByteArray& payload);
    void justWatching(const QByteArray& payload);
    void teamScore(const QByteArray& payload);
    void gameStats(const QByteArray& payload);
    void giveDrawerAnswer(const QByteArray& payload);
    void guessed(const QByteArray& payload);
    void myGuessed(const QByteArray& payload);
    void veryClose(const QByteArray& payload);
    void passed(const QByteArray& payload);

    // One second of the display clock.
    void clockTick();
    const DisplayClock& clock() const { return m_clock; }

    // The name shown in a row ("<Waiting>" when free); empty for slots without a row.
    QString rowName(int slot) const;
    void playSound(const QByteArray& name);

    static constexpr protocol::ColourValue kNoticeColour = 9087660;   // $8AAAAC
    static constexpr protocol::ColourValue kGameColour = 7903388;     // $78989C
    static constexpr protocol::ColourValue kWarningColour = 16711680; // blue
    static constexpr int kRows = 10;
    // Spectators sit in slots 11 to 15.
    static constexpr int kLastSlot = 15;
    // Lines each guess list keeps; they are emptied at every turn anyway.
    static constexpr int kMaxGuessLines = 500;

private:
    void categoryClicked(int category);
    void restartClock(int seconds, DisplayClock::Mode mode);
    void showClock();
    void hideWinner();
    void moveArrowTo(int slot);
    QLabel* nameLabel(int slot) const;
    QLabel* scoreLabel(int slot) const;
    QLabel* eyes(int slot) const;
    void setScore(int slot, qint32 score);
    // Shows and remembers the announced seconds per turn (120 when unreadable).
    void showTurnTime(const QByteArray& field);
    QString snapshotDate() const;

    Ui::Tchat& m_ui;
    ClientState& m_state;
    ChatView& m_chat;
    const Services& m_services;
    std::array<QLabel*, kRows + 1> m_names{};
    std::array<QLabel*, kRows + 1> m_scores{};
    std::array<QLabel*, kRows + 1> m_eyes{};
    DisplayClock m_clock;
    QTimer m_timer2;
    std::function<void()> m_loadSettings;
    std::function<void(int)> m_sendCategory;
    std::function<void()> m_closeWindow;
};

} // namespace client
