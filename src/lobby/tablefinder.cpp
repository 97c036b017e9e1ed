#include "lobby/tablefinder.h"

namespace lobby {

TableFinder::TableFinder(QObject* parent) : QObject(parent), m_listener(this)
{
    connect(&m_listener, &net::BroadcastListener::received, this, &TableFinder::received);
    m_forgetTimer.setInterval(kForgetCheckMs);
    connect(&m_forgetTimer, &QTimer::timeout, this, &TableFinder::forgetOld);
    m_clock.start();
}

bool TableFinder::start(quint16 port, QString* error)
{
    return m_listener.listen(port, error);
}

void TableFinder::stop()
{
    m_listener.close();
}

void TableFinder::received(const QHostAddress& sender, const QByteArray& datagram)
{
    if (sender.protocol() != QAbstractSocket::IPv4Protocol)
        return;
    const bool changed = m_heard.heard(sender.toString(), datagram, m_clock.elapsed());
    if (!m_heard.tables().isEmpty() && !m_forgetTimer.isActive())
        m_forgetTimer.start();
    if (changed)
        Q_EMIT tablesChanged();
}

void TableFinder::forgetOld()
{
    const bool changed = m_heard.forget(m_clock.elapsed());
    if (m_heard.tables().isEmpty())
        m_forgetTimer.stop();
    if (changed)
        Q_EMIT tablesChanged();
}

} // namespace lobby
