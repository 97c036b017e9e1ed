#include "client/localaddresses.h"

#include <QHostAddress>
#include <QNetworkInterface>

namespace client {

QStringList localNetworkAddresses()
{
    QStringList addresses;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
                !addresses.contains(address.toString()))
                addresses.append(address.toString());
        }
    }
    return addresses;
}

} // namespace client
