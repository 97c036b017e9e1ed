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
    m_w.panel->hide();
}

void GuessPanel::startTurn(int drawer)
{
    m_w.myGuesses->clear();
    m_w.drawerGuesses->clear();
    m_w.panel->setVisible(drawer != m_state.mySlot);
    // Spectators watch the guesses but cannot guess.
    m_w.entry->setVisible(!m_state.isSpectator());
    m_w.caption->setVisible(!m_state.isSpectator());
}

void GuessPanel::endTurn()
{
    m_w.panel->hide();
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
