#pragma once

#include "lobby/tablesheard.h"
#include "net/lanbroadcast.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace lobby {

// Listens for the announcements of tables on the local network and keeps the list of
// those heard lately (TablesHeard holds the rules).
class TableFinder : public QObject {
    Q_OBJECT
public:
    // How often forgotten tables are looked for while any is listed.
    static constexpr int kForgetCheckMs = 500;

    explicit TableFinder(QObject* parent = nullptr);

    // Starts listening; false with the reason in `error` when the port cannot be bound
    // (the launcher then simply shows no tables).
    bool start(quint16 port = net::kLanAnnouncePort, QString* error = nullptr);
    void stop();

    const QList<HeardTable>& tables() const { return m_heard.tables(); }

Q_SIGNALS:
    // A table came, went, or changed its name, players or state.
    void tablesChanged();

private:
    void received(const QHostAddress& sender, const QByteArray& datagram);
    void forgetOld();

    net::BroadcastListener m_listener;
    TablesHeard m_heard;
    QElapsedTimer m_clock;
    QTimer m_forgetTimer;
};

} // namespace lobby
