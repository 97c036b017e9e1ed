#include "soak/soakbot.h"

#include "protocol/colour.h"
#include "protocol/message.h"
#include "protocol/version.h"

#include "soak/tablewatch.h"

#include <QRegularExpression>

#include <sys/socket.h>

namespace soak {

using protocol::MessageId;

namespace {

// The board's drawing area; strokes stay inside it.
constexpr int kBoardWidth = 533;
constexpr int kBoardHeight = 369;
constexpr int kCategories = 7;
constexpr int kDutyCheckMs = 500;
constexpr qint64 kRestartMs = 5000;

const char* const kWrongWords[] = {"house", "tree", "cat",   "boat",  "sun",   "car",
                                   "dog",   "fish", "apple", "chair", "snake", "moon"};
const char* const kChatter[] = {"nice one",     "what is that?", "lol", "hurry up",
                                "I know this!", "good game",     "brb", "so close"};
const protocol::ColourValue kPens[] = {protocol::kBlack, protocol::rgbColour(0, 0, 255),
                                       protocol::rgbColour(200, 0, 0),
                                       protocol::rgbColour(0, 140, 0)};

template <class T, size_t N> const T& pickFrom(QRandomGenerator& random, const T (&items)[N])
{
    return items[random.bounded(static_cast<int>(N))];
}

// The time a chat line was sent, from the tag sendChat() puts at its end.
qint64 sentAt(const QByteArray& payload)
{
    static const QRegularExpression tag(QStringLiteral("\\[sent (\\d+)\\]\\|"));
    const QRegularExpressionMatch m = tag.match(QString::fromLatin1(payload));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

} // namespace

SoakBot::SoakBot(QByteArray name, TableWatch& watch, QRandomGenerator& random, const Pace& pace,
                 QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_watch(watch), m_random(random), m_pace(pace)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &SoakBot::readSocket);
    connect(&m_socket, &QTcpSocket::disconnected, this, &SoakBot::ended);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            ended();
    });
    for (QTimer* t : {&m_pickTimer, &m_strokeTimer, &m_guessTimer, &m_chatTimer})
        t->setSingleShot(true);
    connect(&m_pickTimer, &QTimer::timeout, this, [this] {
        send(MessageId::PickCategoryToHost, {m_slot, m_random.bounded(kCategories)});
    });
    connect(&m_strokeTimer, &QTimer::timeout, this, &SoakBot::sendStroke);
    connect(&m_guessTimer, &QTimer::timeout, this, &SoakBot::sendGuess);
    connect(&m_chatTimer, &QTimer::timeout, this, &SoakBot::sendChat);
    m_dutyTimer.setInterval(kDutyCheckMs);
    connect(&m_dutyTimer, &QTimer::timeout, this, &SoakBot::checkDuty);
    m_startPauseMs = m_pace.startPauseMs.draw(m_random);
}

void SoakBot::connectTo(quint16 port)
{
    m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
}

void SoakBot::leave(bool reset)
{
    if (m_leaving || m_gone)
        return;
    m_leaving = true;
    for (QTimer* t : {&m_pickTimer, &m_strokeTimer, &m_guessTimer, &m_chatTimer, &m_dutyTimer})
        t->stop();
    if (reset && m_socket.socketDescriptor() >= 0) {
        ++m_watch.counts().resets;
        // SO_LINGER with no time turns the close into a reset.
        const linger hard{1, 0};
        ::setsockopt(static_cast<int>(m_socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                     sizeof hard);
        m_socket.abort();
        ended();
        return;
    }
    m_socket.disconnectFromHost();
    if (m_socket.state() == QAbstractSocket::UnconnectedState)
        ended();
}

void SoakBot::ended()
{
    if (m_gone)
        return;
    m_gone = true;
    for (QTimer* t : {&m_pickTimer, &m_strokeTimer, &m_guessTimer, &m_chatTimer, &m_dutyTimer})
        t->stop();
    m_watch.forget(this);
    Q_EMIT gone(this);
}

void SoakBot::arm(QTimer& timer, const Span& span)
{
    timer.start(span.draw(m_random));
}

void SoakBot::send(MessageId id, const protocol::Fields& fields)
{
    if (m_leaving || m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    m_socket.write(protocol::buildMessage(id, fields));
}

void SoakBot::readSocket()
{
    m_framer.feed(m_socket.readAll(), [this](QByteArrayView line) {
        const protocol::Entry entry = protocol::splitEntry(line.toByteArray());
        handle(entry.name, entry.payload);
    });
}

void SoakBot::handle(const QByteArray& name, const QByteArray& payload)
{
    using Heard = TableWatch::Heard;
    const int first = payload.split('+').value(0).toInt();
    if (name == "CMD_sendlogininfo") {
        m_slot = first;
        send(MessageId::LoginInfo, {m_slot, QByteArray(protocol::kVersion), m_name});
    } else if (name == "CMD_newplayerinfo" && first == m_slot && !m_seated) {
        m_seated = true;
        arm(m_chatTimer, m_pace.chatMs);
        m_dutyTimer.start();
        Q_EMIT seated(this);
    } else if (name == "CMD_full") {
        m_leaving = true;
        ended();
    } else if (name == "CMD_startgame") {
        m_watch.heard(this, Heard::GameStarted);
    } else if (name == "CMD_pickcatagory") {
        m_watch.heard(this, Heard::PickCategory);
        turnOver();
        m_drawer = first;
        m_passed = false;
        if (m_drawer == m_slot)
            arm(m_pickTimer, m_pace.pickMs);
    } else if (name == "CMD_nextplayer") {
        m_watch.heard(this, Heard::NextPlayer);
        turnOver();
        m_drawer = first;
        if (m_drawer == m_slot) {
            m_pen = QPoint(m_random.bounded(kBoardWidth), m_random.bounded(kBoardHeight));
            arm(m_strokeTimer, m_pace.strokeMs);
        } else if (m_slot <= kBoardSlots) {
            arm(m_guessTimer, m_pace.guessMs);
        }
    } else if (name == "CMD_correctanswer") {
        m_watch.heard(this, Heard::Solved);
        turnOver();
    } else if (name == "CMD_updateanswer" && payload.startsWith("true+")) {
        m_watch.heard(this, Heard::Revealed);
        turnOver();
    } else if (name == "CMD_winner") {
        m_watch.heard(this, Heard::Winner);
        turnOver();
        m_startPauseMs = m_pace.startPauseMs.draw(m_random);
    } else if (name == "CMD_playerdisconnected") {
        m_watch.departureAnnounced(this, first);
    } else if (name == "CMD_chat" || name == "CMD_action") {
        if (const qint64 at = sentAt(payload); at >= 0)
            m_watch.chatArrived(at);
    }
}

void SoakBot::turnOver()
{
    m_pickTimer.stop();
    m_strokeTimer.stop();
    m_guessTimer.stop();
}

void SoakBot::sendStroke()
{
    if (m_drawer != m_slot)
        return;
    arm(m_strokeTimer, m_pace.strokeMs);
    if (m_random.bounded(100) < m_pace.clearPercent) {
        send(MessageId::ClearMainToHost, {m_slot});
        return;
    }
    if (!m_passed && m_random.bounded(100) < m_pace.passPercent) {
        m_passed = true;
        send(MessageId::Pass, {m_slot});
        return;
    }
    // A pen-down where the last stroke ended (now and then somewhere new), then a line
    // through a few mouse positions nearby, as a hand moves.
    if (m_random.bounded(4) == 0)
        m_pen = QPoint(m_random.bounded(kBoardWidth), m_random.bounded(kBoardHeight));
    const protocol::ColourValue pen = pickFrom(m_random, kPens);
    const int width = 2 + m_random.bounded(8);
    send(MessageId::MoveItToHost, {m_slot, pen, width, m_pen.x(), m_pen.y()});
    QList<QPoint> points{m_pen};
    const int count = m_pace.strokePoints.draw(m_random);
    for (int i = 0; i < count; ++i) {
        m_pen += QPoint(m_random.bounded(-20, 21), m_random.bounded(-20, 21));
        m_pen = QPoint(std::clamp(m_pen.x(), 0, kBoardWidth - 1),
                       std::clamp(m_pen.y(), 0, kBoardHeight - 1));
        points.append(m_pen);
    }
    send(MessageId::DrawToHost, {m_slot, pen, width, QByteArray(), points});
    ++m_watch.counts().strokes;
}

void SoakBot::sendGuess()
{
    if (m_drawer == m_slot || m_drawer == 0)
        return;
    arm(m_guessTimer, m_pace.guessMs);
    const QByteArray phrase = m_watch.phraseOf(m_drawer);
    const bool right = !phrase.isEmpty() && m_random.bounded(100) < m_pace.rightGuessPercent;
    send(MessageId::Answer,
         {m_slot, right ? phrase.toLower() : QByteArray(pickFrom(m_random, kWrongWords))});
    ++m_watch.counts().guesses;
    m_watch.counts().rightGuesses += right ? 1 : 0;
}

void SoakBot::sendChat()
{
    arm(m_chatTimer, m_pace.chatMs);
    const QByteArray text = QByteArray(pickFrom(m_random, kChatter)) + " [sent " +
                            QByteArray::number(m_watch.nowMs()) + ']';
    const bool action = m_random.bounded(6) == 0;
    send(action ? MessageId::ActionToHost : MessageId::ChatToHost,
         {m_slot, protocol::TextColour{text, protocol::kMaroon}});
    ++m_watch.counts().chats;
}

void SoakBot::checkDuty()
{
    // Slot 1 holds the host's privileges: it starts the next game, after a pause.
    if (m_slot != 1 || m_watch.gameRunning() || m_watch.sinceGameEndedMs() < m_startPauseMs)
        return;
    // The game is on once the host says so; until then (a moment) no second start.
    if (m_startSentMs >= 0 && m_watch.nowMs() - m_startSentMs < kRestartMs)
        return;
    m_startSentMs = m_watch.nowMs();
    send(MessageId::StartGameToHost,
         {m_slot, false, m_pace.target.draw(m_random), m_pace.turnSeconds});
}

} // namespace soak
