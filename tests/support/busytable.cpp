#include "support/busytable.h"

#include "support/eventloop.h"

#include <QRandomGenerator>

#include <algorithm>

namespace support {

namespace {

constexpr int kHoldRepeatMs = 30; // 33 key repeats a second
constexpr int kHatchLinesPerSecond = 34;
constexpr int kSqueezeBacklog = 90; // lines a squeezer keeps waiting at the host
constexpr qint64 kFloodBacklogBytes = 256 * 1024;
constexpr int kPointsPerBatch = 101; // a CMD_draw carries at most this many points

const char* roleName(Role role)
{
    switch (role) {
    case Role::Drawer:
        return "Drawer";
    case Role::Holder:
        return "Holder";
    case Role::Chatter:
        return "Chatter";
    case Role::Squeezer:
        return "Squeezer";
    case Role::Flooder:
        return "Flooder";
    }
    return "Seat";
}

} // namespace

struct BusyTable::Seat {
    Seat(Role r, const QByteArray& n, const QElapsedTimer& clock) : role(r), name(n), client(clock)
    {
        timer.setTimerType(Qt::PreciseTimer);
    }
    Role role;
    QByteArray name;
    TimedClient client;
    QTimer timer;
    qint64 chatsSent = 0;
    qint64 pressureSent = 0;
    qint64 pressureRelayed = 0;
    qint64 foreignStrokes = 0;
};

BusyTable::BusyTable(quint16 port, const QElapsedTimer& clock, QObject* parent)
    : QObject(parent), m_port(port), m_clock(clock)
{}

BusyTable::~BusyTable() = default;

bool BusyTable::seat(const QList<Role>& roles)
{
    for (const Role role : roles) {
        const QByteArray name =
            roleName(role) + QByteArray::number(static_cast<qsizetype>(m_seats.size()) + 1);
        auto seat = std::make_unique<Seat>(role, name, m_clock);
        Seat* s = seat.get();
        s->client.setHandler(
            [this, s](const QByteArray& message, qint64 ns) { received(*s, message, ns); });
        if (!s->client.connectTo(m_port) || !s->client.login(name))
            return false;
        if (role == Role::Drawer && s->client.slot() != 1)
            return false;
        connect(&s->timer, &QTimer::timeout, this, [this, s] {
            if (!m_playing || !s->client.isConnected())
                return;
            switch (s->role) {
            case Role::Drawer:
                return drawOneLine();
            case Role::Holder:
                s->client.send("CMD_answer+" + QByteArray::number(s->client.slot()) + '+');
                ++m_linesSent;
                return;
            case Role::Chatter:
                return chat(*s);
            case Role::Squeezer:
                return squeeze(*s);
            case Role::Flooder:
                return flood(*s);
            }
        });
        m_seats.push_back(std::move(seat));
    }
    return true;
}

bool BusyTable::startDrawing()
{
    if (m_seats.empty() || m_seats.front()->role != Role::Drawer)
        return false;
    m_seats.front()->client.send("CMD_startgame+1+false+1000+86400");
    return spinUntil([this] { return m_drawing; }, 30000);
}

QByteArray BusyTable::strokeLine(qint64 n) const
{
    // Hatching: a pen-down, two batches of a full stroke's points, the stroke's last points.
    // The first point tells the line apart from every other one of the evening.
    const QByteArray first = QByteArray::number(n % 533) + ',' + QByteArray::number(n / 533 % 369);
    switch (n % 4) {
    case 0:
        return "CMD_moveit+1+clBlack+3+" + QByteArray::number(n % 533) + '+' +
               QByteArray::number(n / 533 % 369);
    case 3:
        return "CMD_draw+1+clBlack+3++" + first + "+200,200+";
    default: {
        QByteArray line = "CMD_draw+1+clBlack+3++" + first + '+';
        for (int p = 1; p < kPointsPerBatch; ++p)
            line += QByteArray::number(100 + p) + ',' + QByteArray::number(100 + p % 50) + '+';
        return line;
    }
    }
}

void BusyTable::drawOneLine()
{
    const QByteArray line = strokeLine(m_strokesSent++);
    m_strokes.insert(line, {m_seats.front()->client.send(line), 0});
    ++m_linesSent;
}

void BusyTable::deliverBacklog(int heldMs, int linesPerSecond)
{
    Seat& drawer = *m_seats.front();
    const qint64 lines = qint64{heldMs} * linesPerSecond / 1000;
    QByteArray all;
    std::vector<QByteArray> texts;
    for (qint64 i = 0; i < lines; ++i) {
        texts.push_back(strokeLine(m_strokesSent++));
        all += texts.back() + '\xFF';
    }
    // Timed from the write: what the stall cost before it is the link's, not the host's.
    const qint64 ns = m_clock.nsecsElapsed();
    drawer.client.socket().write(all);
    drawer.client.socket().flush();
    for (const QByteArray& t : texts)
        m_strokes.insert(t, {ns, 0});
}

void BusyTable::chat(Seat& seat)
{
    const QByteArray text = "q " + seat.name + ' ' + QByteArray::number(seat.chatsSent++);
    const QByteArray seen = text + "|clBlack";
    ++m_linesSent;
    m_chats.insert(
        seen,
        {seat.client.send("CMD_chat+" + QByteArray::number(seat.client.slot()) + '+' + seen), 0});
    seat.timer.start(static_cast<int>(QRandomGenerator::global()->bounded(300, 1001)));
}

void BusyTable::squeeze(Seat& seat)
{
    QByteArray burst;
    const QByteArray line = "CMD_chat+" + QByteArray::number(seat.client.slot()) + "+sq|clRed\xFF";
    for (; seat.pressureSent - seat.pressureRelayed < kSqueezeBacklog; ++seat.pressureSent)
        burst += line;
    if (!burst.isEmpty())
        seat.client.socket().write(burst);
}

void BusyTable::flood(Seat& seat)
{
    const QByteArray line = "CMD_chat+" + QByteArray::number(seat.client.slot()) + "+sq|clRed\xFF";
    QByteArray batch;
    for (int i = 0; i < 500; ++i)
        batch += line;
    while (seat.client.socket().bytesToWrite() < kFloodBacklogBytes) {
        seat.client.socket().write(batch);
        seat.pressureSent += 500;
    }
}

void BusyTable::startRole(Seat& seat)
{
    switch (seat.role) {
    case Role::Drawer:
        return seat.timer.start(1000 / kHatchLinesPerSecond);
    case Role::Holder:
        return seat.timer.start(kHoldRepeatMs);
    case Role::Chatter:
        return chat(seat); // and every 300 to 1000 ms after
    case Role::Squeezer:
    case Role::Flooder:
        return seat.timer.start(5);
    }
}

void BusyTable::play(int ms)
{
    m_playing = true;
    for (auto& seat : m_seats)
        startRole(*seat);
    spinFor(ms);
    m_playing = false;
    for (auto& seat : m_seats)
        seat->timer.stop();
}

void BusyTable::received(Seat& seat, const QByteArray& message, qint64 ns)
{
    m_drawing = m_drawing || message.startsWith("CMD_nextplayer+1+");
    const auto lateMs = [&](Sent& sent) {
        ++sent.receipts;
        return static_cast<double>(ns - sent.ns) / 1e6;
    };
    if (message.startsWith("CMD_draw+") || message.startsWith("CMD_moveit+")) {
        const auto it = m_strokes.find(message);
        if (it != m_strokes.end())
            m_strokeLateMs.push_back(lateMs(*it));
        else
            ++seat.foreignStrokes;
        return;
    }
    if (!message.startsWith("CMD_chat+"))
        return;
    static const QByteArray kChats = " chats: ";
    const qsizetype at = message.indexOf(kChats);
    if (at < 0)
        return;
    const QByteArray sender = message.mid(9, at - 9);
    const QByteArray text = message.mid(at + kChats.size());
    if (text == "sq|clRed") {
        if (sender == seat.name)
            ++seat.pressureRelayed;
        return;
    }
    const auto it = m_chats.find(text);
    if (it != m_chats.end() && sender != seat.name)
        m_chatLateMs.push_back(lateMs(*it));
}

int BusyTable::listeners() const
{
    return static_cast<int>(std::count_if(m_seats.begin(), m_seats.end(),
                                          [](const auto& s) { return s->client.isConnected(); })) -
           1;
}

bool BusyTable::settle(int timeoutMs)
{
    return spinUntil(
        [this] {
            const int others = listeners();
            const auto done = [&](const QHash<QByteArray, Sent>& lines) {
                return std::all_of(lines.cbegin(), lines.cend(),
                                   [&](const Sent& s) { return s.receipts >= others; });
            };
            return done(m_strokes) && done(m_chats);
        },
        timeoutMs);
}

QStringList BusyTable::dropped() const
{
    QStringList names;
    for (const auto& seat : m_seats) {
        if (!seat->client.isConnected())
            names.append(QString::fromLatin1(seat->name));
    }
    return names;
}

qint64 BusyTable::pressureRelayed() const
{
    qint64 n = 0;
    for (const auto& seat : m_seats)
        n += seat->pressureRelayed;
    return n;
}

qint64 BusyTable::foreignStrokes() const
{
    qint64 least = -1;
    for (const auto& seat : m_seats) {
        if (seat->client.isConnected() && (least < 0 || seat->foreignStrokes < least))
            least = seat->foreignStrokes;
    }
    return std::max<qint64>(0, least);
}

} // namespace support
