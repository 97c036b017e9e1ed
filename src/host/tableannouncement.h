#pragma once

#include <QByteArray>
#include <QString>

namespace host {

class HostEngine;

// What a running table tells the local network about itself, as one line of plain text:
//
//   QUILLON 1 <tcp port> <players seated> <spectators> <0|1 game running> <host name>
//
// The name is UTF-8, the rest of the line; the whole line stays within 512 bytes.
struct TableAnnouncement {
    static constexpr int kMaxNameChars = 32;

    quint16 port = 0;
    int players = 0;    // logged in on a score board seat (slots 1 to 10)
    int spectators = 0; // logged in on a spectator seat (slots 11 to 15)
    bool gameRunning = false;
    QString hostName;

    // The table as the engine has it. `hostName` is the machine's name for quillon-host; a
    // hosting copy passes its player's name (slot 1), or the machine's while slot 1 has
    // not logged in yet.
    static TableAnnouncement of(const HostEngine& engine, quint16 port, const QString& hostName);

    // The line; the name cut to kMaxNameChars with control characters as "?", and a name
    // left empty sent as "?", so every datagram sent is one the finders accept.
    QByteArray toDatagram() const;
};

// The name a table goes by: the hosting player's (slot 1, when seated) unless `dedicated`,
// else `machineName`.
QString tableHostName(const HostEngine& engine, bool dedicated, const QString& machineName);

} // namespace host
