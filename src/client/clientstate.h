#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace client {

// What the player window knows about its connection and the game in progress. The host
// owns the game; this is only what it told the window, plus the window's own start data.
struct ClientState {
    int mySlot = 0;         // from CMD_sendlogininfo; 1 to 10 have a row, 11 and up spectate
    bool connected = false; // logged in, and not yet told of our own departure
    bool hosting = false;   // this copy runs the host
    bool solo = false;      // started without a command line: a practice table
    QByteArray playerName;  // Windows-1252, as it goes out at login
    QString hostAddress;
    QByteArray loginName;
    int currentDrawer = 0; // who picks or draws now; 0 between turns
    int turnSeconds = 0;   // seconds per turn of the game in progress; 0 until announced
    QString snapshotCaption;
    QStringList spectators; // "slot: name" entries of the spectator list
};

} // namespace client
