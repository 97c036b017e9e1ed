#pragma once

#include "soak/soakbot.h"

#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>

namespace soak {

class TableWatch;

// The bots of the evening at one table: seated at the start, then coming and going as
// people do (an orderly leave or a broken connection, and somebody new a moment later),
// so that the table stays about as full as it began. Whoever a newcomer's slot makes it,
// player or spectator, it plays as that.
class Crowd : public QObject {
    Q_OBJECT
public:
    Crowd(quint16 port, TableWatch& watch, QRandomGenerator& random, const Pace& pace,
          QObject* parent = nullptr);
    ~Crowd() override;

    // Seats `count` bots one after another (each gets the lowest free slot); false when one
    // was not seated within `timeoutMs`.
    bool seat(int count, int timeoutMs = 10000);
    // From now on, every `every` milliseconds somebody leaves and a newcomer follows.
    void startComings(const Span& every, const Span& arrivalMs, int resetPercent);
    void stopComings();
    // Everybody leaves (some with a reset); returns once every connection has ended.
    bool leaveAll(int resetPercent, int timeoutMs = 10000);

    // Bots seated now, by kind.
    int players() const;
    int spectators() const;
    // Seated bots that have left so far (each the host must report).
    int departed() const { return m_departed; }
    const QList<SoakBot*>& bots() const { return m_bots; }

private:
    SoakBot* arrive();
    void someoneLeaves();
    void onGone(SoakBot* bot);

    quint16 m_port;
    TableWatch& m_watch;
    QRandomGenerator& m_random;
    const Pace& m_pace;
    QList<SoakBot*> m_bots;
    QTimer m_comings;
    Span m_every;
    Span m_arrivalMs;
    int m_resetPercent = 0;
    int m_wanted = 0;  // bots the table should have
    int m_pending = 0; // newcomers on their way
    int m_serial = 0;
    int m_departed = 0;
    bool m_coming = false;
};

} // namespace soak
