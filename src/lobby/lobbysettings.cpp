#include "lobby/lobbysettings.h"

#include "client/inifile.h"
#include "protocol/windows1252.h"

namespace lobby {

namespace {

QByteArray addressKey(int n)
{
    return "Address" + QByteArray::number(n);
}

QString readText(const client::IniFile& file, const char* key)
{
    return protocol::fromWindows1252(file.value(kLobbySection, key).value_or(QByteArray()));
}

} // namespace

LobbySettings readLobbySettings(const QString& path)
{
    LobbySettings settings;
    client::IniFile file(path);
    if (!file.load())
        return settings;
    settings.name = readText(file, "Name");
    settings.hosting = file.value(kLobbySection, "Mode") != QByteArrayLiteral("join");
    for (int n = 1; n <= kRecentAddresses; ++n) {
        const QString address = readText(file, addressKey(n).constData()).trimmed();
        if (!address.isEmpty() && !settings.addresses.contains(address, Qt::CaseInsensitive))
            settings.addresses.append(address);
    }
    return settings;
}

std::optional<QString> writeLobbySettings(const QString& path, const LobbySettings& settings)
{
    client::IniFile file(path);
    QString reason;
    if (file.load(&reason)) {
        file.setValue(kLobbySection, "Name", protocol::toWindows1252(settings.name));
        file.setValue(kLobbySection, "Mode",
                      settings.hosting ? QByteArrayLiteral("host") : QByteArrayLiteral("join"));
        for (int n = 1; n <= kRecentAddresses; ++n) {
            const QString address =
                n <= settings.addresses.size() ? settings.addresses.at(n - 1) : QString();
            file.setValue(kLobbySection, addressKey(n).constData(),
                          protocol::toWindows1252(address));
        }
        if (file.save(&reason))
            return std::nullopt;
    }
    return QStringLiteral("Your name and addresses were not saved in %1: %2").arg(path, reason);
}

QStringList rememberAddress(const QStringList& recent, const QString& address)
{
    QStringList list{address};
    for (const QString& earlier : recent) {
        if (list.size() >= kRecentAddresses)
            break;
        if (earlier.compare(address, Qt::CaseInsensitive) != 0)
            list.append(earlier);
    }
    return list;
}

} // namespace lobby
