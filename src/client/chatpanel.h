#pragma once

#include "client/chatview.h"
#include "client/clientstate.h"
#include "client/eventsounds.h"
#include "client/services.h"
#include "protocol/colour.h"

#include <QObject>

#include <array>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QTextEdit;
class QToolButton;

namespace client {

class ClientConnection;
class Roster;

// The talking side of the window: the transcript with every notice of the window and the
// links in it, the chat entry with "/me" actions, the nine quick-phrase buttons with their
// pause, the chatter-sound menu, the two pop-up menus, and the colours and text size the
// player chose.
class ChatPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int kPhrases = 9;
    static constexpr int kDesignTextSize = 8;
    static constexpr int kChatterSounds = 20;

    struct Widgets {
        QTextEdit* transcript;
        QLineEdit* entry;
        std::array<QToolButton*, kPhrases> phrases; // b_phrase1 .. b_phrase9
        QToolButton* chatterSounds;                 // b_phrase10
        QAction* scrollChatOff;                     // the Options menu's item
    };

    // `transcript` writes into widgets.transcript; every part of the window writes its
    // notices through it. `services` belongs to the window and may be completed later.
    ChatPanel(const Widgets& widgets, ChatView& transcript, const ClientState& state,
              const Roster& roster, const EventSounds& sounds, ClientConnection& connection,
              const Services& services, QObject* parent = nullptr);

    // Where a failure the user must see goes (a quick phrase the socket refuses).
    void setOnError(std::function<void(const QString&)> f) { m_onError = std::move(f); }

    // Message handlers; each takes the payload after the message name and its "+".
    void chatReceived(const QByteArray& payload);
    void playASound(const QByteArray& payload);
    void haveWrongVersion(const QByteArray& payload);
    void wrongVersion();

    void setTextSize(int points);
    int textSize() const;
    void setTextColour(protocol::ColourValue colour);
    protocol::ColourValue textColour() const { return m_textColour; }
    void setActionColour(protocol::ColourValue colour) { m_actionColour = colour; }
    protocol::ColourValue actionColour() const { return m_actionColour; }
    // The quick phrases' texts as their buttons hold them.
    std::array<QString, kPhrases> phrases() const;
    // Every phrase as given, empty ones included (the phrase editor's "Done").
    void setPhrases(const std::array<QString, kPhrases>& phrases);
    // The stored phrases (Windows-1252): an empty one leaves its button as it is.
    void loadPhrases(const std::array<QByteArray, kPhrases>& phrases);
    // The colour dialogs of the Options menu; true when a colour was chosen.
    bool chooseTextColour(QWidget* parent);
    bool chooseActionColour(QWidget* parent);
    void clearTranscript();

    // The send step of the chat entry (Enter, on press and on release).
    void sendit();
    // A quick-phrase button, 1 to 9.
    void sendPhrase(int button);
    // A chatter sound from its menu, 1 to 20 (0 is "<Cancel>").
    void sendChatterSound(int number);
    QMenu* chatterSoundsMenu() const { return m_soundsMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpMenus();
    bool linkEvent(QEvent* event);
    void copy();
    void paste();

    Widgets m_w;
    ChatView& m_view;
    const ClientState& m_state;
    const Roster& m_roster;
    const EventSounds& m_sounds;
    ClientConnection& m_connection;
    const Services& m_services;
    QMenu* m_soundsMenu = nullptr;
    QMenu* m_transcriptMenu = nullptr;
    QMenu* m_entryMenu = nullptr;
    protocol::ColourValue m_textColour = protocol::kMaroon;
    protocol::ColourValue m_actionColour = protocol::kBlack;
    std::function<void(const QString&)> m_onError;
    // Enter went down in the entry; its release sends only then (the press of an Enter that
    // chose from a menu went to the menu, which closed and left the focus here).
    bool m_enterPressed = false;
    int m_textSize = 0; // as chosen; 0 until then
};

} // namespace client
