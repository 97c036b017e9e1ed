#include "host/tableannouncement.h"

#include "host/engine.h"
#include "protocol/windows1252.h"

namespace host {

TableAnnouncement TableAnnouncement::of(const HostEngine& engine, quint16 port,
                                        const QString& hostName)
{
    TableAnnouncement a;
    a.port = port;
    engine.players().forEachSeated([&](int slot, const Player&) {
        if (slot <= PlayerTable::kBoardSlots)
            ++a.players;
        else
            ++a.spectators;
    });
    a.gameRunning = engine.game().turnState() != TurnState::None;
    a.hostName = hostName;
    return a;
}

QByteArray TableAnnouncement::toDatagram() const
{
    QString name = hostName.trimmed().left(kMaxNameChars);
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.isSurrogate())
            c = QLatin1Char('?');
    }
    if (name.isEmpty())
        name = QStringLiteral("?");
    QByteArray line = "QUILLON 1 " + QByteArray::number(port) + ' ' + QByteArray::number(players) +
                      ' ' + QByteArray::number(spectators) + ' ' + (gameRunning ? '1' : '0') + ' ';
    return line + name.toUtf8(); // at most 32 characters of 3 bytes: far below 512
}

QString tableHostName(const HostEngine& engine, bool dedicated, const QString& machineName)
{
    if (!dedicated) {
        const Player* hosting = engine.players().at(1);
        if (hosting && hosting->connected && hosting->loggedIn && !hosting->name.isEmpty())
            return protocol::fromWindows1252(hosting->name);
    }
    return machineName;
}

} // namespace host
