#include "client/guesspanel.h"

#include "client/clientconnection.h"
#include "client/roster.h"
#include "protocol/fieldreader.h"
#include "protocol/windows1252.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace client {

using protocol::FieldReader;
using protocol::fromWindows1252;

GuessPanel::GuessPanel(const Widgets& widgets, const ClientState& state, const Roster& roster,
                       ClientConnection& connection, QObject* parent)
    : QObject(parent), m_w(widgets), m_state(state), m_roster(roster), m_connection(connection)
{
    m_w.myGuesses->setMaximumBlockCount(kMaxLines);
    m_w.drawerGuesses->setMaximumBlockCount(kMaxLines);
    connect(m_w.entry, &QLineEdit::returnPressed, this, &GuessPanel::sendGuess);
}

void GuessPanel::sendGuess()
{
    // A held Enter repeats: after the first guess the field is empty, and an empty guess is
    // only noise at the host and in every window's list.
    if (m_w.entry->text().trimmed().isEmpty()) {
        m_w.entry->clear();
        return;
    }
    if (m_state.connected)
        m_connection.send(protocol::MessageId::Answer,
                          {m_state.mySlot, protocol::toWindows1252(m_w.entry->text())});
    m_w.entry->clear();
}

void GuessPanel::startGame()
{
    putAway(m_w.panel);
}

void GuessPanel::startTurn(int drawer)
{
    m_w.myGuesses->clear();
    m_w.drawerGuesses->clear();
    if (drawer == m_state.mySlot) {
        putAway(m_w.panel);
        return;
    }
    m_w.panel->show();
    // Spectators watch the guesses but cannot guess.
    m_w.caption->setVisible(!m_state.isSpectator());
    if (m_state.isSpectator()) {
        putAway(m_w.entry);
        return;
    }
    m_w.entry->show();
    takeTyping();
}

void GuessPanel::endTurn()
{
    putAway(m_w.panel);
}

void GuessPanel::takeTyping()
{
    const auto* field = qobject_cast<const QLineEdit*>(m_w.entry->window()->focusWidget());
    // Typed in, not just filled (the chat entry's "<Enter Chat Here>" is not the player's).
    if (field && field != m_w.entry && field->isModified() && !field->text().isEmpty())
        return;
    m_w.entry->setFocus(Qt::OtherFocusReason);
}

void GuessPanel::putAway(QWidget* part)
{
    const bool typing = m_w.entry->window()->focusWidget() == m_w.entry;
    part->hide();
    if (typing && m_w.typingElsewhere)
        m_w.typingElsewhere->setFocus(Qt::OtherFocusReason);
}

void GuessPanel::guessed(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    m_w.drawerGuesses->appendPlainText(m_roster.rowName(slot) + QStringLiteral(" guessed: ") +
                                       fromWindows1252(r.rest()));
}

void GuessPanel::myGuessed(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    m_w.myGuesses->appendPlainText(m_roster.rowName(slot) + QStringLiteral(" answered: ") +
                                   fromWindows1252(r.rest()));
}

void GuessPanel::veryClose(const QByteArray& payload)
{
    FieldReader r(payload);
    if (r.nextInt() != m_state.mySlot)
        return;
    m_w.myGuesses->appendPlainText(fromWindows1252(r.next()) + QStringLiteral(" is a good guess."));
}

} // namespace client
