#include "soak/crowd.h"

#include "support/eventloop.h"

#include "soak/tablewatch.h"

namespace soak {

namespace {
const char* const kFirstNames[] = {"Ann", "Bob", "Cy", "Di",  "Eve", "Fay", "Gus",
                                   "Hal", "Ivy", "Jo", "Kim", "Lu",  "Max", "Ned"};
}

Crowd::Crowd(quint16 port, TableWatch& watch, QRandomGenerator& random, const Pace& pace,
             QObject* parent)
    : QObject(parent), m_port(port), m_watch(watch), m_random(random), m_pace(pace)
{
    m_comings.setSingleShot(true);
    connect(&m_comings, &QTimer::timeout, this, &Crowd::someoneLeaves);
}

Crowd::~Crowd()
{
    qDeleteAll(m_bots);
}

SoakBot* Crowd::arrive()
{
    const int n = m_serial++;
    const QByteArray name =
        QByteArray(kFirstNames[n % std::size(kFirstNames)]) + QByteArray::number(n);
    auto* bot = new SoakBot(name, m_watch, m_random, m_pace);
    connect(bot, &SoakBot::gone, this, &Crowd::onGone);
    connect(bot, &SoakBot::seated, this, [this] { ++m_watch.counts().arrivals; });
    m_bots.append(bot);
    bot->connectTo(m_port);
    return bot;
}

bool Crowd::seat(int count, int timeoutMs)
{
    for (int i = 0; i < count; ++i) {
        SoakBot* bot = arrive();
        if (!support::spinUntil([bot] { return bot->isSeated() || bot->isGone(); }, timeoutMs) ||
            !bot->isSeated())
            return false;
        ++m_wanted;
    }
    return true;
}

void Crowd::startComings(const Span& every, const Span& arrivalMs, int resetPercent)
{
    m_every = every;
    m_arrivalMs = arrivalMs;
    m_resetPercent = resetPercent;
    m_coming = true;
    m_comings.start(m_every.draw(m_random));
}

void Crowd::stopComings()
{
    m_coming = false;
    m_comings.stop();
}

void Crowd::someoneLeaves()
{
    if (!m_coming)
        return;
    m_comings.start(m_every.draw(m_random));
    // A spectator now and then, else any player; spectators are few, so they are picked
    // on purpose rather than by chance.
    QList<SoakBot*> seated;
    const bool spectator = m_random.bounded(3) == 0 && spectators() > 0;
    for (SoakBot* bot : std::as_const(m_bots)) {
        if (bot->isSeated() && !bot->isGone() && bot->isSpectator() == spectator)
            seated.append(bot);
    }
    if (seated.isEmpty())
        return;
    seated[m_random.bounded(static_cast<int>(seated.size()))]->leave(m_random.bounded(100) <
                                                                     m_resetPercent);
}

void Crowd::onGone(SoakBot* bot)
{
    if (bot->isSeated()) {
        ++m_departed;
        ++m_watch.counts().departures;
    }
    m_bots.removeOne(bot);
    bot->deleteLater();
    if (!m_coming)
        return;
    // Somebody new sits down a moment later (with a little luck in the very same slot).
    if (static_cast<int>(m_bots.size()) + m_pending < m_wanted) {
        ++m_pending;
        QTimer::singleShot(m_arrivalMs.draw(m_random), this, [this] {
            --m_pending;
            if (m_coming)
                arrive();
        });
    }
}

int Crowd::players() const
{
    return static_cast<int>(std::count_if(m_bots.begin(), m_bots.end(), [](const SoakBot* b) {
        return b->isSeated() && !b->isGone() && !b->isSpectator();
    }));
}

int Crowd::spectators() const
{
    return static_cast<int>(std::count_if(m_bots.begin(), m_bots.end(), [](const SoakBot* b) {
        return b->isSeated() && !b->isGone() && b->isSpectator();
    }));
}

bool Crowd::leaveAll(int resetPercent, int timeoutMs)
{
    stopComings();
    const QList<SoakBot*> everyone = m_bots;
    for (SoakBot* bot : everyone)
        bot->leave(m_random.bounded(100) < resetPercent);
    return support::spinUntil([this] { return m_bots.isEmpty(); }, timeoutMs);
}

} // namespace soak
