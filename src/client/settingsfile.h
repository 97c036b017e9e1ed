#pragma once

#include "client/windowgeometry.h"
#include "protocol/colour.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace client {

// The player window's settings live in section "Quillon" of the settings file it shares with
// the lobby program ("zelklobby.ini" in the program's folder). The lobby owns the rest.
inline constexpr char kSettingsFileName[] = "zelklobby.ini";
inline constexpr char kSettingsSection[] = "Quillon";
inline constexpr int kPhraseCount = 9;
// The server the lobby's installer is downloaded from ("host" or "host:port"), key
// "LobbyServer" in the same section; the path on it is fixed.
inline constexpr char kLobbyServerKey[] = "LobbyServer";
inline constexpr char kDefaultLobbyServer[] = "www.zelk42.com";
// Settings only this program has live in a section of their own, which the lobby and other
// copies of the game leave alone: "SaveEveryGame" in "Album" keeps every game's album.
inline constexpr char kAlbumSection[] = "Album";
inline constexpr char kSaveEveryAlbumKey[] = "SaveEveryGame";

// The chat's text sizes the menu offers run from 8 to 14 points; a size outside them is
// taken for a damaged file and reads as the default.
inline constexpr int kDefaultTextSize = 8;
inline constexpr int kSmallestTextSize = 8;
inline constexpr int kLargestTextSize = 14;
// Snapshots are numbered 1 to kLastSnapshotNumber; the counter in the file is kept to 0 and
// that number before anything counts on from it, so no arithmetic on it can overflow.
inline constexpr int kLastSnapshotNumber = 999999;

inline constexpr protocol::ColourValue kDefaultTextColour = protocol::kMaroon;
inline constexpr protocol::ColourValue kDefaultActionColour = protocol::kBlack;

struct PlayerSettings {
    Geometry geometry = kDefaultGeometry;
    int textSize = kDefaultTextSize;
    int snapCount = 0;
    protocol::ColourValue textColour = kDefaultTextColour;
    protocol::ColourValue actionColour = kDefaultActionColour;
    // Quick-phrase button texts 1 to 9 (Windows-1252); empty: the button keeps its own text.
    std::array<QByteArray, kPhraseCount> phrases;
    bool playSounds = true;
    bool chatterSounds = true;
    bool saveEveryAlbum = false; // "true" in kAlbumSection
    friend bool operator==(const PlayerSettings&, const PlayerSettings&) = default;
};

// Reads the settings. Whatever is missing or unreadable takes its default: a missing or
// unreadable file, a missing key, an integer that is not a number (decimal, or hex after
// "$" or "0x"), a text size outside the menu's range, a colour text that names no colour.
// The snapshot counter defaults to `currentSnapCount` and is kept to 0..kLastSnapshotNumber.
// Sounds are off only for the exact value "false". A file that exists but cannot be read
// sets `failure` to the reason (a missing file is no failure: it is a fresh installation).
PlayerSettings readSettings(const QString& path, int currentSnapCount,
                            std::optional<QString>* failure = nullptr);

// The address the lobby's installer is downloaded from: "http://", the "LobbyServer" setting
// (kDefaultLobbyServer when missing or empty) and "/lobby/zlbsetup.exe".
QString lobbyDownloadAddress(const QString& path);

// Writes "Top", "Left", "Width", "Height", "Textsize", "Snapcount", "Textcolor",
// "Actioncolor", "Playsounds" and "ChatterSounds" (not the phrases), and the album's setting
// in its own section, keeping everything else
// in the file as it was. On failure nothing is written and the result is the message to
// show: "Unable to write to " and the path.
std::optional<QString> writeSettings(const QString& path, const PlayerSettings& settings);

// The phrase editor's save: "Phrase1" to "Phrase9" only, otherwise as writeSettings.
std::optional<QString> writePhrases(const QString& path,
                                    const std::array<QByteArray, kPhraseCount>& phrases);

} // namespace client
