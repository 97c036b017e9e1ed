#include "client/settingsfile.h"

#include "client/inifile.h"
#include "protocol/conversion.h"
#include "protocol/lobby.h"

#include <QDebug>

#include <algorithm>
#include <functional>

namespace client {

namespace {

QByteArray phraseKey(int n)
{
    return "Phrase" + QByteArray::number(n);
}

int readInt(const IniFile& file, const char* key, int fallback)
{
    qint32 number = 0;
    const auto text = file.value(kSettingsSection, key);
    if (text && protocol::tryToInt(*text, number))
        return number;
    return fallback;
}

protocol::ColourValue readColour(const IniFile& file, const char* key,
                                 protocol::ColourValue fallback)
{
    const auto text = file.value(kSettingsSection, key);
    if (!text)
        return fallback;
    return protocol::parseColour(*text).value_or(fallback);
}

// On only the exact text "false" switches a sound off.
bool readSwitch(const IniFile& file, const char* key)
{
    return file.value(kSettingsSection, key) != QByteArrayLiteral("false");
}

QByteArray switchText(bool on)
{
    return on ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
}

// Reads the file afresh (the lobby may have changed it since), applies `change` and saves.
std::optional<QString> update(const QString& path, const std::function<void(IniFile&)>& change)
{
    IniFile file(path);
    QString reason;
    if (file.load(&reason)) {
        change(file);
        if (file.save(&reason))
            return std::nullopt;
    }
    qWarning().noquote() << "Settings not saved:" << reason;
    return QStringLiteral("Unable to write to ") + path;
}

} // namespace

QString lobbyDownloadAddress(const QString& path)
{
    IniFile file(path);
    file.load(nullptr); // a missing file: the default server
    QByteArray server = file.value(kSettingsSection, kLobbyServerKey).value_or(QByteArray());
    server = server.trimmed();
    if (server.isEmpty())
        server = kDefaultLobbyServer;
    return QStringLiteral("http://") + QString::fromLatin1(server) +
           QString::fromLatin1(protocol::lobby::kInstallerPath);
}

PlayerSettings readSettings(const QString& path, int currentSnapCount,
                            std::optional<QString>* failure)
{
    IniFile file(path);
    QString reason;
    if (failure)
        failure->reset();
    if (!file.load(&reason)) {
        qWarning().noquote() << "Settings not read:" << reason;
        if (failure)
            *failure = reason;
    }

    PlayerSettings s;
    s.geometry.top = readInt(file, "Top", kDefaultGeometry.top);
    s.geometry.left = readInt(file, "Left", kDefaultGeometry.left);
    s.geometry.width = readInt(file, "Width", kDefaultGeometry.width);
    s.geometry.height = readInt(file, "Height", kDefaultGeometry.height);
    s.textSize = readInt(file, "Textsize", kDefaultTextSize);
    if (s.textSize < kSmallestTextSize || s.textSize > kLargestTextSize)
        s.textSize = kDefaultTextSize;
    s.snapCount = std::clamp(readInt(file, "Snapcount", currentSnapCount), 0, kLastSnapshotNumber);
    s.textColour = readColour(file, "Textcolor", kDefaultTextColour);
    s.actionColour = readColour(file, "Actioncolor", kDefaultActionColour);
    for (int n = 1; n <= kPhraseCount; ++n) {
        s.phrases[static_cast<size_t>(n - 1)] =
            file.value(kSettingsSection, phraseKey(n).constData()).value_or(QByteArray());
    }
    s.playSounds = readSwitch(file, "Playsounds");
    s.chatterSounds = readSwitch(file, "ChatterSounds");
    s.saveEveryAlbum = file.value(kAlbumSection, kSaveEveryAlbumKey) == QByteArrayLiteral("true");
    return s;
}

std::optional<QString> writeSettings(const QString& path, const PlayerSettings& s)
{
    return update(path, [&s](IniFile& file) {
        auto put = [&file](const char* key, const QByteArray& text) {
            file.setValue(kSettingsSection, key, text);
        };
        put("Top", QByteArray::number(s.geometry.top));
        put("Left", QByteArray::number(s.geometry.left));
        put("Width", QByteArray::number(s.geometry.width));
        put("Height", QByteArray::number(s.geometry.height));
        put("Textsize", QByteArray::number(s.textSize));
        put("Snapcount", QByteArray::number(s.snapCount));
        put("Textcolor", protocol::colourText(s.textColour));
        put("Actioncolor", protocol::colourText(s.actionColour));
        put("Playsounds", switchText(s.playSounds));
        put("ChatterSounds", switchText(s.chatterSounds));
        // The section appears once the player first keeps every album; files of players who
        // never did stay as they were.
        if (s.saveEveryAlbum || file.value(kAlbumSection, kSaveEveryAlbumKey))
            file.setValue(kAlbumSection, kSaveEveryAlbumKey, switchText(s.saveEveryAlbum));
    });
}

std::optional<QString> writePhrases(const QString& path,
                                    const std::array<QByteArray, kPhraseCount>& phrases)
{
    return update(path, [&phrases](IniFile& file) {
        for (int n = 1; n <= kPhraseCount; ++n) {
            file.setValue(kSettingsSection, phraseKey(n).constData(),
                          phrases[static_cast<size_t>(n - 1)]);
        }
    });
}

} // namespace client
