#include "lobby/lobbylistener.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace lobby {

LobbyListener::LobbyListener(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &LobbyListener::accept);
}

LobbyListener::~LobbyListener() = default;

bool LobbyListener::listen(quint16 port, QString* error)
{
    if (m_server->listen(QHostAddress::LocalHost, port))
        return true;
    if (error)
        *error = m_server->errorString();
    return false;
}

bool LobbyListener::isListening() const
{
    return m_server->isListening();
}

quint16 LobbyListener::port() const
{
    return m_server->serverPort();
}

void LobbyListener::accept()
{
    while (QTcpSocket* link = m_server->nextPendingConnection()) {
        if (openLinks() >= kMaxLinks) {
            link->abort();
            link->deleteLater();
            continue;
        }
        m_links.push_back(link);
        connect(link, &QTcpSocket::readyRead, link, [link] { link->readAll(); });
        connect(link, &QTcpSocket::disconnected, this, [this, link] { drop(link); });
        connect(link, &QTcpSocket::errorOccurred, this, [this, link] {
            if (link->state() == QAbstractSocket::UnconnectedState)
                drop(link);
        });
        Q_EMIT linksChanged(openLinks());
    }
}

void LobbyListener::drop(QTcpSocket* link)
{
    const auto found = std::find(m_links.begin(), m_links.end(), link);
    if (found == m_links.end())
        return;
    m_links.erase(found);
    link->deleteLater();
    Q_EMIT linksChanged(openLinks());
}

} // namespace lobby
