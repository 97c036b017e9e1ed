#include "host/engine.h"

#include "host/limits.h"
#include "protocol/catalogue.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/message.h"
#include "protocol/version.h"
#include "protocol/windows1252.h"

namespace host {

using protocol::buildMessage;
using protocol::MessageId;

namespace {

// Text from the wire as it goes into the operator's log: one line, whatever it holds.
QString shown(const QByteArray& text)
{
    return protocol::printable(text, limits::kMaxNameLength);
}

// A name as the table keeps it: no control characters (a newline would forge lines in
// logs and lists) and at most kMaxNameLength characters.
QByteArray tableName(QByteArray name)
{
    name.truncate(limits::kMaxNameLength);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = '?';
    }
    return name;
}

// The first field, also when it is the only one (no "+" follows it).
QByteArray firstField(const QByteArray& payload)
{
    const qsizetype plus = payload.indexOf(protocol::kSeparator);
    return plus < 0 ? payload : payload.left(plus);
}

} // namespace

HostEngine::HostEngine(Outbound& out, RandomSource& random, WordLists lists, Options options)
    : m_out(out), m_options(options), m_players(out), m_game(m_players, random, std::move(lists))
{
    m_game.setDedicated(options.dedicated);
}

int HostEngine::admit(qint64 nowMs)
{
    const int slot = m_players.admit();
    if (slot == 0) {
        m_out.log(LogLevel::Warning, QStringLiteral("table full: connection refused"));
        return 0;
    }
    Link& l = link(slot);
    l = Link{};
    l.id = ++m_lastConnectionId;
    l.loginDeadlineMs = nowMs + m_options.loginTimeoutMs;
    l.budget.reset(nowMs);
    m_out.log(LogLevel::Info, QStringLiteral("slot %1: connected").arg(slot));
    return slot;
}

void HostEngine::welcome(int slot)
{
    m_players.to(slot, buildMessage(MessageId::SendLoginInfo, {slot}));
}

void HostEngine::lineReceived(int slot, QByteArrayView line)
{
    if (!m_players.isConnected(slot))
        return;
    m_queue.push(slot, line);
    updateIntake(slot);
}

bool HostEngine::inputHeld(int slot) const
{
    return slot >= 1 && slot <= PlayerTable::kSlots && m_links[static_cast<size_t>(slot)].inputHeld;
}

void HostEngine::updateIntake(int slot)
{
    if (slot < 1 || slot > PlayerTable::kSlots)
        return;
    const qsizetype lines = m_queue.countFrom(slot);
    const qsizetype bytes = m_queue.bytesFrom(slot);
    bool& held = link(slot).inputHeld;
    if (!held && (lines >= limits::kHoldQueuedLines || bytes >= limits::kHoldQueuedBytes))
        held = true;
    else if (held && lines <= limits::kHoldQueuedLines / 2 && bytes <= limits::kHoldQueuedBytes / 2)
        held = false;
}

qint64 HostEngine::nextLoginDeadline() const
{
    qint64 next = -1;
    m_players.forEachConnected([&](int slot) {
        const Link& l = m_links[static_cast<size_t>(slot)];
        if (l.loginDeadlineMs >= 0 && (next < 0 || l.loginDeadlineMs < next))
            next = l.loginDeadlineMs;
    });
    return next;
}

void HostEngine::expireLogins(qint64 nowMs)
{
    m_players.forEachConnected([&](int slot) {
        Link& l = link(slot);
        if (l.loginDeadlineMs >= 0 && l.loginDeadlineMs <= nowMs) {
            l.loginDeadlineMs = -1; // asked once; the close follows as an event of its own
            disconnect(slot, QStringLiteral("no login within %1 ms").arg(m_options.loginTimeoutMs));
        }
    });
}

void HostEngine::disconnect(int slot, const QString& why)
{
    m_out.log(LogLevel::Warning,
              QStringLiteral("slot %1: dropping the connection: %2").arg(slot).arg(why));
    m_queue.discardFrom(slot);
    m_out.close(slot);
}

void HostEngine::connectionClosed(int slot)
{
    Player* player = m_players.at(slot);
    if (!player)
        return;
    // Lines still queued from a connection that is gone are never handled: a login
    // queued just before the close would otherwise mark a slot without a connection.
    m_queue.discardFrom(slot);
    if (player->connected) {
        m_out.log(LogLevel::Info,
                  QStringLiteral("slot %1 (%2): left").arg(slot).arg(shown(player->name)));
        m_players.toEveryoneExcept(
            slot, buildMessage(MessageId::PlayerDisconnected, {slot, player->name}));
    }
    m_players.release(slot);
    link(slot) = Link{};
    if (slot == m_game.drawer() && (m_players.isConnected(1) || m_options.dedicated))
        m_game.drawerGone();
}

void HostEngine::drainTick(qint64 nowMs)
{
    FairQueue::Round round;
    for (;;) {
        const FairQueue::Line line =
            m_queue.takeOldest(round, [&](int slot) { return link(slot).budget.hasLine(nowMs); });
        if (line.slot == 0)
            return;
        link(line.slot).budget.spend();
        updateIntake(line.slot);
        handle(line);
    }
}

void HostEngine::handle(const FairQueue::Line& line)
{
    const protocol::Entry entry = protocol::splitEntry(line.text);
    if (entry.name.isEmpty())
        return;
    try {
        dispatch(line.slot, entry.name, entry.payload);
    } catch (const protocol::ConversionError& e) {
        drop(line.slot, line.text, protocol::printable(e.what()));
    }
}

void HostEngine::drop(int origin, const QByteArray& line, const QString& why)
{
    m_out.log(LogLevel::Warning, QStringLiteral("slot %1: dropped \"%2\": %3")
                                     .arg(origin)
                                     .arg(protocol::printable(line))
                                     .arg(why));
}

void HostEngine::dispatch(int origin, const QByteArray& name, const QByteArray& payload)
{
    const protocol::MessageSpec* def = findMessage(protocol::Direction::ToHost, name);
    if (!def)
        return; // not a message the host handles

    const auto refuse = [&](const QString& why) {
        drop(origin, name + '+' + payload, why);
    };

    // The first field names the sender (for a watching request, the slot it concerns).
    const qint32 named = protocol::toInt(firstField(payload));
    const bool actsOnOther = def->id == MessageId::JustWatch && origin == 1;
    if (named != origin && !actsOnOther)
        return refuse(QStringLiteral("slot field %1 is not the sender's slot").arg(named));

    // Rights the windows already respect, enforced.
    if (def->id == MessageId::LoginInfo && m_players.at(origin)->loggedIn)
        return refuse(QStringLiteral("logged in already"));
    if (def->id == MessageId::StartGameToHost && origin != 1)
        return refuse(QStringLiteral("only slot 1 starts a game"));
    if (def->id == MessageId::Answer && origin > PlayerTable::kBoardSlots)
        return refuse(QStringLiteral("a spectator does not guess"));
    if (def->id == MessageId::Answer && origin == m_game.drawer() &&
        m_game.turnState() == TurnState::Drawing)
        return refuse(QStringLiteral("the drawer does not guess"));

    switch (def->id) {
    case MessageId::LoginInfo:
        return receivedLoginInfo(origin, payload);
    case MessageId::KickHim:
        return kickHim(payload);
    case MessageId::ChatToHost:
        return relayChat(payload, "CMD_chat", " chats: ");
    case MessageId::ActionToHost:
        return relayChat(payload, "CMD_action", " ");
    case MessageId::StartGameToHost:
        return startGame(payload);
    case MessageId::DrawToHost:
        return relayStroke(origin, "CMD_draw", payload);
    case MessageId::ClearMainToHost:
        return clearMain(payload);
    case MessageId::Answer: {
        protocol::FieldReader r(payload);
        const qint32 slot = r.nextInt();
        return m_game.answer(slot, r.rest());
    }
    case MessageId::MoveItToHost:
        return relayStroke(origin, "CMD_moveit", payload);
    case MessageId::PickCategoryToHost: {
        const protocol::Fields f = readMessage(MessageId::PickCategoryToHost, payload);
        return m_game.pickCategory(f.integer(0), f.integer(1));
    }
    case MessageId::Pass: {
        const QByteArray before = m_game.phrase();
        m_game.pass(protocol::toInt(payload));
        return logPhrase(before);
    }
    case MessageId::JustWatch:
        return justWatch(payload);
    case MessageId::PlayASoundToHost:
        return playASound(payload);
    default:
        return;
    }
}

void HostEngine::clockTick()
{
    const QByteArray before = m_game.phrase();
    m_game.clockTick();
    logPhrase(before);
}

void HostEngine::logPhrase(const QByteArray& before)
{
    if (m_game.phrase() != before && !m_game.phrase().isEmpty())
        m_out.log(LogLevel::Info,
                  QStringLiteral("slot %1 draws \"%2\" (category %3)")
                      .arg(m_game.drawer())
                      .arg(protocol::printable(m_game.phrase(), protocol::kMaxEntryLength))
                      .arg(m_game.category()));
}

void HostEngine::receivedLoginInfo(int origin, const QByteArray& payload)
{
    const protocol::Fields f = readMessage(MessageId::LoginInfo, payload);
    const int slot = f.integer(0);
    const QByteArray& version = f.text(1);
    Player* player = m_players.at(slot);
    if (!player)
        return;
    QByteArray name = tableName(f.text(2));
    // Every window names players by what the host announces: a blank name would leave a
    // row, a notice and even a winner without one.
    if (name.trimmed().isEmpty())
        name = "Player " + QByteArray::number(slot);
    link(origin).loginDeadlineMs = -1;
    player->name = name;
    player->connected = true;
    player->loggedIn = true;
    m_out.log(LogLevel::Info, QStringLiteral("slot %1: logged in as \"%2\" (version %3)")
                                  .arg(slot)
                                  .arg(shown(name), shown(version)));

    m_players.toEveryone(buildMessage(MessageId::NewPlayerInfo, {slot, name}));
    m_players.forEachConnected([&](int other) {
        if (other != slot)
            m_players.to(
                slot, buildMessage(MessageId::ExistingPlayers, {other, m_players.nameOf(other)}));
    });
    for (const DrawingRecord::Line& line : m_game.drawingRecord().lines())
        m_players.to(slot, line.text + protocol::kTerminator);
    if (version != protocol::kVersion) {
        m_players.to(1, buildMessage(MessageId::HaveWrongVersion, {name}));
        m_players.to(slot, buildMessage(MessageId::WrongVersion, {}));
    }
    sendGameState(slot);
}

void HostEngine::sendGameState(int slot)
{
    // A game is in progress from its start to its winner, also through the break and the
    // category choice after a time-out, when the game is not "running" in the described
    // sense; a newcomer is told the scores and the clock in every phase.
    const TurnState phase = m_game.turnState();
    if (phase == TurnState::Drawing)
        m_players.to(slot, buildMessage(MessageId::NextPlayer,
                                        {m_game.drawer(), m_game.category(), m_game.mask()}));
    else if (phase == TurnState::Picking)
        m_players.to(slot, buildMessage(MessageId::PickCategory, {m_game.drawer()}));
    if (phase != TurnState::None)
        m_players.to(slot,
                     buildMessage(MessageId::GameStats, {m_game.targetScore(), m_game.turnSeconds(),
                                                         m_players.boardScores()}));
    m_players.forEachConnected([&](int other) {
        if (other != slot && m_players.at(other)->watching)
            m_players.to(slot, buildMessage(MessageId::JustWatching, {other, QByteArray("1")}));
    });
    // The windows of the original design ignore this; ours set their clock by it.
    if (phase != TurnState::None)
        m_players.to(slot, buildMessage(MessageId::UpdateTime, {m_game.clock() - 2}));
}

void HostEngine::kickHim(const QByteArray& payload)
{
    const protocol::Fields f = readMessage(MessageId::KickHim, payload);
    if (f.integer(0) != 1)
        return;
    const int target = f.integer(1);
    if (m_players.isConnected(target)) {
        m_out.log(LogLevel::Info, QStringLiteral("slot %1: removed by the host").arg(target));
        m_queue.discardFrom(target);
        m_out.close(target);
    }
}

void HostEngine::relayChat(const QByteArray& payload, const char* name, const char* between)
{
    protocol::FieldReader r(payload);
    const qint32 slot = r.nextInt();
    // A relay passes the sender's text on untouched, so it is built from raw text.
    m_players.toEveryone(
        protocol::buildMessage(name, {m_players.nameOf(slot) + between + r.rest()}));
}

void HostEngine::startGame(const QByteArray& payload)
{
    m_players.resetForGame();
    refreshPlayerList();
    const protocol::Fields f = readMessage(MessageId::StartGameToHost, payload);
    m_out.log(LogLevel::Info,
              QStringLiteral("game started by slot %1: %2, play to %3, %4 s per turn")
                  .arg(f.integer(0))
                  .arg(f.boolean(1) ? QStringLiteral("teams") : QStringLiteral("no teams"))
                  .arg(f.integer(2))
                  .arg(f.integer(3)));
    m_game.start(f.integer(0), f.boolean(1), f.integer(2), f.integer(3));
}

void HostEngine::refreshPlayerList()
{
    m_players.forEachConnected([&](int to) {
        m_players.forEachConnected([&](int j) {
            m_players.to(to, buildMessage(MessageId::RefreshPlayerList, {j, m_players.nameOf(j)}));
        });
    });
}

void HostEngine::relayStroke(int origin, const char* name, const QByteArray& payload)
{
    // Only the drawer's strokes during a game are relayed, and the record holds exactly
    // what was relayed: what nobody else saw is not replayed to newcomers either.
    if (!m_game.running() || origin != m_game.drawer())
        return;
    const QByteArray line = name + ('+' + payload);
    DrawingRecord& record = m_game.drawingRecord();
    const DrawingRecord::Owner sender = link(origin).id;
    if (record.bytes() + line.size() > limits::kMaxDrawingRecordBytes) {
        // Whoever filled the record goes, with its strokes; that need not be the sender
        // of the line that meets the limit, and may be a connection that is gone.
        const DrawingRecord::Owner filler = record.largestShare(sender, line.size());
        record.removeFrom(filler);
        m_players.forEachConnected([&](int slot) {
            if (link(slot).id == filler)
                disconnect(slot, QStringLiteral("filled the drawing record (%1 bytes)")
                                     .arg(limits::kMaxDrawingRecordBytes));
        });
        if (filler == sender)
            return;
    }
    record.append(sender, line);
    m_players.toEveryoneExcept(origin, line + protocol::kTerminator);
}

void HostEngine::clearMain(const QByteArray& payload)
{
    const qint32 slot = protocol::toInt(payload);
    if (!m_game.running() || slot != m_game.drawer())
        return;
    m_game.drawingRecord().clear();
    m_players.toEveryoneExcept(slot, buildMessage(MessageId::ClearMain, {slot}));
}

void HostEngine::justWatch(const QByteArray& payload)
{
    const protocol::Fields f = readMessage(MessageId::JustWatch, payload);
    const int slot = f.integer(0);
    const QByteArray& mode = f.text(1);
    Player* player = m_players.at(slot);
    if (!player)
        return;
    if (mode == "2") {
        player->watching = false;
        m_players.toEveryone(buildMessage(MessageId::JustWatching, {slot, QByteArray("2")}));
        return;
    }
    if (mode != "1")
        return;
    bool someoneElsePlays = false;
    for (int s = 1; s <= PlayerTable::kBoardSlots; ++s) {
        const Player* p = m_players.at(s);
        someoneElsePlays = someoneElsePlays || (s != slot && p->connected && !p->watching);
    }
    if (!someoneElsePlays)
        return;
    player->watching = true;
    m_players.toEveryone(buildMessage(MessageId::JustWatching, {slot, QByteArray("1")}));
    if (slot == m_game.drawer())
        m_game.drawerGone();
}

void HostEngine::playASound(const QByteArray& payload)
{
    m_players.toEveryone(protocol::buildMessage("CMD_playasound", {payload}));
}

} // namespace host
