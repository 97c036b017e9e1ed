#include "client/roster.h"

#include "protocol/fieldreader.h"
#include "protocol/windows1252.h"

#include <algorithm>

namespace client {

using protocol::FieldReader;
using protocol::fromWindows1252;

Roster::Roster(ClientState& state, ChatView& chat, const EventSounds& sounds, QObject* parent)
    : QObject(parent), m_state(state), m_chat(chat), m_sounds(sounds)
{}

Roster::Row* Roster::row(int slot)
{
    return seats::hasRow(slot) ? &m_rows[static_cast<size_t>(slot)] : nullptr;
}

const Roster::Row* Roster::row(int slot) const
{
    return seats::hasRow(slot) ? &m_rows[static_cast<size_t>(slot)] : nullptr;
}

QString Roster::rowName(int slot) const
{
    if (const Row* r = row(slot))
        return r->taken ? r->name : seats::waiting();
    for (const auto& [s, name] : m_spectators) {
        if (s == slot)
            return name;
    }
    return {};
}

bool Roster::taken(int slot) const
{
    const Row* r = row(slot);
    return r && r->taken;
}

qint32 Roster::score(int slot) const
{
    const Row* r = row(slot);
    return r ? r->score : 0;
}

bool Roster::watching(int slot) const
{
    const Row* r = row(slot);
    return r && r->watching;
}

QStringList Roster::spectatorEntries() const
{
    QStringList entries;
    for (const auto& [slot, name] : m_spectators)
        entries.append(QString::number(slot) + QStringLiteral(": ") + name);
    return entries;
}

void Roster::setScore(int slot, qint32 score)
{
    if (Row* r = row(slot)) {
        r->score = score;
        Q_EMIT rowChanged(slot);
    }
}

void Roster::setScores(const QList<qint32>& scores)
{
    const int n = std::min<int>(seats::kRows, static_cast<int>(scores.size()));
    for (int slot = 1; slot <= n; ++slot)
        setScore(slot, scores[slot - 1]);
}

void Roster::correctAnswer(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 guesser = r.nextInt();
    setScore(guesser, r.nextInt());
    const qint32 drawer = r.nextInt();
    setScore(drawer, r.nextInt());
}

void Roster::passed(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    setScore(slot, r.restInt());
}

void Roster::teamScore(const QByteArray& payload)
{
    setScores(FieldReader(payload).restIntegerList());
}

void Roster::gameStats(const QByteArray& payload)
{
    FieldReader r(payload);
    r.drop(); // play-to score and seconds per turn are the turn panel's
    r.drop();
    setScores(r.restIntegerList());
}

void Roster::resetForGame()
{
    for (int slot = 1; slot <= seats::kRows; ++slot) {
        Row& r = m_rows[static_cast<size_t>(slot)];
        r.score = 0;
        r.watching = false;
        Q_EMIT rowChanged(slot);
    }
}

void Roster::newPlayerInfo(const QByteArray& payload)
{
    existingPlayer(payload);
    // Slot 1 changes hands only at a table no player window hosts: say who has its rights.
    const qint32 slot = FieldReader(payload).nextInt();
    if (slot == 1 && !m_state.hosting) {
        m_chat.addLine(slot == m_state.mySlot
                           ? QStringLiteral("You hold slot 1 and start the games; you may "
                                            "remove players.")
                           : rowName(1) + QStringLiteral(" holds slot 1 and starts the games."),
                       kNoticeColour);
    }
}

void Roster::existingPlayer(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const QString name = fromWindows1252(r.rest());
    const bool mine = slot == m_state.mySlot;
    if (mine) {
        m_chat.addLine(QStringLiteral("You are Connected."), kNoticeColour);
        if (m_onOwnArrival)
            m_onOwnArrival();
    } else {
        m_chat.addLine(name + QStringLiteral(" is Connected."), kNoticeColour);
    }
    if (seats::isSpectator(slot)) {
        // One entry per spectator's slot, however often the host announces it.
        std::erase_if(m_spectators, [slot](const auto& s) { return s.first == slot; });
        m_spectators.emplace_back(slot, name);
        Q_EMIT spectatorsChanged();
        m_chat.addLine(mine ? QStringLiteral("You are spying.")
                            : name + QStringLiteral(" is spying."),
                       kNoticeColour);
    } else if (Row* seat = row(slot)) {
        seat->taken = true;
        seat->name = name;
        Q_EMIT rowChanged(slot);
    }
    m_sounds.play("entered");
}

void Roster::refreshPlayerList(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    if (Row* seat = row(slot)) {
        seat->taken = true;
        seat->name = fromWindows1252(r.rest());
        Q_EMIT rowChanged(slot);
    }
}

void Roster::playerDisconnected(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const QString name = fromWindows1252(r.rest());
    if (slot == m_state.mySlot) {
        m_state.connected = false;
        if (m_onOwnDeparture)
            m_onOwnDeparture();
    }
    if (Row* seat = row(slot); seat && seat->taken) {
        m_chat.addLine(seat->name + QStringLiteral(" disconnected."), kNoticeColour);
        seat->taken = false; // the score stays until the next game
        seat->name.clear();
        seat->watching = false;
        Q_EMIT rowChanged(slot);
    }
    // A spectator leaves the list only under the name the host gives.
    const auto gone = std::erase_if(
        m_spectators, [&](const auto& s) { return s.first == slot && s.second == name; });
    if (gone > 0) {
        Q_EMIT spectatorsChanged();
        m_chat.addLine(name + QStringLiteral(" has left."), kNoticeColour);
    }
}

void Roster::justWatching(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    Row* seat = row(slot);
    if (!seat)
        return;
    const bool watching = r.rest() == "1";
    if (slot == m_state.mySlot && m_onOwnWatching)
        m_onOwnWatching(watching);
    m_chat.addLine(rowName(slot) + (watching ? QStringLiteral(" is just watching")
                                             : QStringLiteral(" now playing again")),
                   kGameColour);
    seat->watching = watching;
    Q_EMIT rowChanged(slot);
}

} // namespace client
