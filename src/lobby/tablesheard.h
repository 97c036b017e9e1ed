#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace lobby {

// One table as its announcement told it.
struct HeardTable {
    QString address; // where to join: "10.0.0.5:7772" (the sender's address, the TCP port)
    QString hostName;
    int players = 0;
    int spectators = 0;
    bool gameRunning = false;
    qint64 lastHeardMs = 0;

    // Two entries for the same table differ in nothing a player sees.
    bool looksLike(const HeardTable& other) const
    {
        return address == other.address && hostName == other.hostName && players == other.players &&
               spectators == other.spectators && gameRunning == other.gameRunning;
    }
};

// Reads one announcement datagram, strictly:
//
//   QUILLON 1 <tcp port> <players> <spectators> <0|1> <host name>
//
// single spaces between the fields, plain decimal numbers without sign or leading zeros
// (port 1 to 65535, players and spectators 0 to kMaxSeats), a name of valid UTF-8 without
// control characters, at most kMaxNameBytes. Anything else is nullopt. The address is left
// empty for the caller. The name is cut to kShownNameChars.
struct Announcement {
    static constexpr int kMaxSeats = 15;
    static constexpr int kMaxNameBytes = 128;
    static constexpr int kShownNameChars = 32;

    static std::optional<HeardTable> read(QByteArrayView datagram);
};

// The tables heard on the local network lately, by the address and TCP port they can be
// joined at, in the order they were first heard. Everything comes in from strangers: a
// table is kept at most kForgetAfterMs after its last announcement, and at most kMaxTables
// are kept (a newcomer beyond that waits until one is forgotten). Time is the caller's steady
// clock in milliseconds.
class TablesHeard {
public:
    static constexpr int kMaxTables = 32;
    static constexpr qint64 kForgetAfterMs = 6000;

    // One datagram from `senderAddress` (dotted IPv4). Returns whether the list as a player
    // sees it changed; a datagram that does not read is dropped without a word.
    bool heard(const QString& senderAddress, QByteArrayView datagram, qint64 nowMs);
    // Forgets the tables not heard for kForgetAfterMs; returns whether any went.
    bool forget(qint64 nowMs);

    const QList<HeardTable>& tables() const { return m_tables; }

private:
    QList<HeardTable> m_tables;
};

} // namespace lobby
