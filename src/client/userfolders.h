#pragma once

#include <QString>

namespace client {

// Where the player's own files go. A program folder we may write to (a portable folder,
// as the lobby expects) keeps them all beside the program; a system-wide install, whose
// folder we may not write, keeps them in the user's configuration, pictures and download
// folders instead.
struct UserFolders {
    QString settingsPath;   // the settings file shared with the lobby
    QString snapshotFolder; // "snapshots" beside the program
    QString downloadFolder; // where the lobby's installer is saved
    bool portable = true;
};

UserFolders userFolders(const QString& programFolder);

} // namespace client
