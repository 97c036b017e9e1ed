#pragma once

#include "net/lanbroadcast.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

namespace host {

// Broadcasts a running table's announcement on the local network: once at start, then
// every kIntervalMs, each time as `announcement` words it then. Finders forget a table
// about three intervals after its last one, so a table that ends simply goes quiet.
class TableAnnouncer : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 2000;

    explicit TableAnnouncer(std::function<QByteArray()> announcement,
                            quint16 port = net::kLanAnnouncePort, QObject* parent = nullptr);

    void start();
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }

private:
    void announce();

    std::function<QByteArray()> m_announcement;
    net::BroadcastSender m_sender;
    QTimer m_timer;
};

} // namespace host
