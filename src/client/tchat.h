#pragma once

#include "client/albumpanel.h"
#include "client/boardpanel.h"
#include "client/chatpanel.h"
#include "client/clientconnection.h"
#include "client/clientstate.h"
#include "client/eventsounds.h"
#include "client/guesspanel.h"
#include "client/roster.h"
#include "client/services.h"
#include "client/snapshotbutton.h"
#include "client/turnpanel.h"
#include "client/windowgeometry.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>

namespace Ui {
class Tchat;
}

class QTimer;

namespace client {

class InviteLinkAction;
class ScoreBoard;

// The player window: the program's main window and the only client of the game protocol.
// It composes the parts that each own one area of the window (score board, turn panel,
// board and toolbar, guess panel, chat panel) around the roster and the connection, routes
// every message from the host to the parts it concerns, and keeps the menus, the settings
// file, the window's place and the start from the command line.
class Tchat : public QMainWindow, private MessageSink {
    Q_OBJECT
public:
    explicit Tchat(Services services, QWidget* parent = nullptr);
    ~Tchat() override;

    // The host and the side windows are made after the window; they join here.
    void setServices(const Services& services) { m_services = services; }
    // The command line (without the program name), carried out when the window is first
    // shown.
    void setArguments(const QStringList& arguments) { m_arguments = arguments; }
    void processParams(const QStringList& arguments);
    void hostpress();
    void joinpress();
    // The game start dialog's "Start Game".
    void startgame(bool team, const QString& playToScore, const QString& timePerTurn);
    // The game start dialog was closed without starting: the Start Game button comes back.
    void gameStartDismissed();
    // Where friends on the internet reach this hosting copy (the router forwards its port),
    // empty when nowhere: what the invite link gives.
    void setInternetAddress(const QString& address);
    void kicking(int slot);
    // The phrase editor's "Done": the buttons take the nine phrases, which are stored.
    void applyPhrases(const std::array<QString, ChatPanel::kPhrases>& phrases);

    void loadinifile();
    void saveinifile();

    // What the user must see in a box: one box at a time, and nothing is drained while it is
    // open (the socket layer's unhandled errors come here too).
    void inform(const QString& text);

    Ui::Tchat& ui() { return *m_ui; }
    ClientConnection& connection() { return *m_connection; }
    const ClientState& state() const { return m_state; }
    const Roster& roster() const { return *m_roster; }
    const TurnPanel& turnPanel() const { return *m_turn; }
    BoardPanel& board() { return *m_board; }
    ScoreBoard& scoreBoard();
    AlbumPanel& album() { return *m_album; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void handleMessage(protocol::MessageId id, const QByteArray& payload) override;
    void sendloginfo(const QByteArray& payload);
    void startTheGame(const QByteArray& payload);
    void nextPlayer(const QByteArray& payload);
    // The phrase was revealed: the album keeps the turn.
    void keepTurn();

    void setUpMenus();
    void setUpKeyboardFocus();
    // Start Game, the row menu and the spy list's removal: what slot 1 may do.
    void offerTableRights();
    void setUpParts();
    void buttonStartClick();
    void sendJustWatch(int slot, bool watch);
    void closeSoon();
    // The window's outer bounds (frame included), as the settings file keeps them.
    Geometry outerBounds() const;
    void placeAt(const Geometry& bounds);
    void applyPlacement();

    std::unique_ptr<Ui::Tchat> m_ui;
    Services m_services;
    ClientState m_state;
    EventSounds m_sounds{m_services};
    std::unique_ptr<ChatView> m_transcript;
    Roster* m_roster = nullptr;
    ChatPanel* m_chat = nullptr;
    TurnPanel* m_turn = nullptr;
    BoardPanel* m_board = nullptr;
    GuessPanel* m_guesses = nullptr;
    SnapshotButton* m_snapshot = nullptr;
    AlbumPanel* m_album = nullptr;
    InviteLinkAction* m_invite = nullptr;
    ClientConnection* m_connection = nullptr;
    QStringList m_arguments;
    bool m_started = false;
    bool m_informing = false;
    bool m_closing = false; // a close is on its way; the host's lines no longer count
    // The settings file was read: until then (and when it cannot be read) nothing is written.
    bool m_settingsRead = false;
    // Geometry as last read from or written to the settings file (all 0 until read).
    Geometry m_rememberedGeometry;
    // Outer bounds asked for before the desktop put its frame around the window.
    std::optional<Geometry> m_placement;
    // Looks for the frame while a placement waits for it (see applyPlacement).
    QTimer* m_frameWatch = nullptr;
    int m_frameLooks = 0;
};

} // namespace client
