#include "host/tableannouncer.h"

namespace host {

TableAnnouncer::TableAnnouncer(std::function<QByteArray()> announcement, quint16 port,
                               QObject* parent)
    : QObject(parent), m_announcement(std::move(announcement)), m_sender(port, this)
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TableAnnouncer::announce);
}

void TableAnnouncer::start()
{
    m_timer.start();
    announce();
}

void TableAnnouncer::announce()
{
    m_sender.send(m_announcement());
}

} // namespace host
