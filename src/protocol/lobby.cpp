#include "protocol/lobby.h"

namespace protocol::lobby {

CommandLine readCommandLine(const QStringList& arguments)
{
    CommandLine line;
    if (arguments.isEmpty())
        return line;
    line.playerName = arguments.at(0);
    if (arguments.size() >= 2)
        line.hostAddress = arguments.at(1);
    if (arguments.size() < 3) {
        line.mode = CommandLine::Mode::Waiting;
        return line;
    }
    if (arguments.at(2) == QLatin1String("true")) {
        line.mode = CommandLine::Mode::Host;
        line.hostAddress = QString::fromLatin1(kLoopbackAddress);
    } else {
        line.mode = CommandLine::Mode::Join;
    }
    return line;
}

Endpoint readEndpoint(const QString& address)
{
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    if (colon > 0) {
        bool ok = false;
        const uint port = address.mid(colon + 1).toUInt(&ok);
        if (ok && port >= 1 && port <= 65535)
            return {address.left(colon), static_cast<quint16>(port)};
    }
    return {address, kGamePort};
}

} // namespace protocol::lobby
