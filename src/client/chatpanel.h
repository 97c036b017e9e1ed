#pragma once

#include "client/chatview.h"
#include "client/eventsounds.h"
#include "protocol/colour.h"

#include <QObject>

#include <array>

class QLineEdit;
class QTextEdit;
class QToolButton;

namespace client {

class Roster;

// The talking side of the window: the transcript with every notice of the window, the
// chat entry, the quick-phrase buttons and the chatter-sound button, and the colours and
// text size the player chose for them.
class ChatPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int kPhrases = 9;
    static constexpr int kDesignTextSize = 8;

    struct Widgets {
        QTextEdit* transcript;
        QLineEdit* entry;
        std::array<QToolButton*, kPhrases> phrases; // b_phrase1 .. b_phrase9
        QToolButton* chatterSounds;                 // b_phrase10
    };

    // `transcript` writes into widgets.transcript; every part of the window writes its
    // notices through it.
    ChatPanel(const Widgets& widgets, ChatView& transcript, const Roster& roster,
              const EventSounds& sounds, QObject* parent = nullptr);

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
    // The quick phrases' texts (Windows-1252); an empty one leaves its button as it is.
    void setPhrases(const std::array<QByteArray, kPhrases>& phrases);
    // The colour dialogs of the Options menu; true when a colour was chosen.
    bool chooseTextColour(QWidget* parent);
    bool chooseActionColour(QWidget* parent);

private:
    Widgets m_w;
    ChatView& m_view;
    const Roster& m_roster;
    const EventSounds& m_sounds;
    protocol::ColourValue m_textColour = protocol::kMaroon;
    protocol::ColourValue m_actionColour = protocol::kBlack;
};

} // namespace client
