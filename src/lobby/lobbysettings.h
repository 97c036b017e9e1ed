#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lobby {

// The launcher's own section of the settings file it shares with the game; the game's
// section and everything else in the file are left as they are.
inline constexpr char kLobbySection[] = "QuillonLobby";
// How many addresses the launcher offers again.
inline constexpr int kRecentAddresses = 5;

struct LobbySettings {
    QString name;
    bool hosting = true;
    QStringList addresses; // most recent first, at most kRecentAddresses
};

// A missing or unreadable file reads as the defaults.
LobbySettings readLobbySettings(const QString& path);

// Nothing on success, otherwise why not; the file on disk is then unchanged.
std::optional<QString> writeLobbySettings(const QString& path, const LobbySettings& settings);

// `address` first, an earlier spelling of it (letter case aside) dropped, the list cut to
// kRecentAddresses.
QStringList rememberAddress(const QStringList& recent, const QString& address);

} // namespace lobby
