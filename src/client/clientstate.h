#pragma once

#include "client/seats.h"

#include <QByteArray>
#include <QString>

namespace client {

// What the player window knows about its own seat: the connection, who it is, and who
// draws now. The host owns the game; this is only what it told the window, plus the
// window's own start data. The components read it; the connection's handshake, the turn
// panel (current drawer) and the roster (our own departure) write it.
struct ClientState {
    int mySlot = 0;         // from CMD_sendlogininfo; 1 to 10 have a row, 11 and up spectate
    bool connected = false; // logged in, and not yet told of our own departure
    bool hosting = false;   // this copy runs the host
    bool solo = false;      // started without a command line: a practice table
    QByteArray playerName;  // Windows-1252, as it goes out at login
    QString hostAddress;
    QByteArray loginName;
    int currentDrawer = 0; // who picks or draws now; 0 between turns

    bool isSpectator() const { return mySlot > seats::kRows; }
    // Slot 1 starts games and removes players: the hosting copy, which always holds it at a
    // table it started, or whoever holds it at a table without one (quillon-host).
    bool leadsTable() const { return hosting || mySlot == 1; }
};

} // namespace client
