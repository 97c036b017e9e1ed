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

namespace {

constexpr int kMaxHostLength = 253;
constexpr int kMaxLabelLength = 63;
constexpr int kMaxPortDigits = 5;

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiLetterOrDigit(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || isAsciiDigit(c);
}

bool allDigits(const QString& text)
{
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return !text.isEmpty();
}

QString refused(const QString& why)
{
    return QStringLiteral("This invite link cannot be used: %1").arg(why);
}

// Why `host` is neither a DNS name nor a dotted IPv4 address, or nothing.
QString hostProblem(const QString& host)
{
    if (host.isEmpty())
        return refused(QStringLiteral("it names no host."));
    if (host.startsWith(QLatin1Char('-')) || host.startsWith(QLatin1Char('.')))
        return refused(QStringLiteral("the host cannot begin with \"%1\".").arg(host.at(0)));
    if (host.size() > kMaxHostLength)
        return refused(
            QStringLiteral("the host is longer than %1 characters.").arg(kMaxHostLength));
    for (const QChar c : host) {
        if (isAsciiLetterOrDigit(c) || c == QLatin1Char('-') || c == QLatin1Char('.'))
            continue;
        // Half of a pair of UTF-16 units shows as nothing readable: its number is named.
        const QString shown = c.isSurrogate()
                                  ? QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                  : QString(c);
        return refused(QStringLiteral("the host cannot hold \"%1\"; it may hold only "
                                      "letters, digits, \"-\" and \".\".")
                           .arg(shown));
    }
    const QStringList labels = host.split(QLatin1Char('.'));
    bool numeric = true;
    for (const QString& label : labels) {
        if (label.isEmpty())
            return refused(QStringLiteral("the host has an empty part between dots."));
        if (label.size() > kMaxLabelLength)
            return refused(QStringLiteral("a part of the host is longer than %1 characters.")
                               .arg(kMaxLabelLength));
        numeric = numeric && allDigits(label);
    }
    if (!numeric)
        return {};
    // Only digits and dots: it can only be meant as an IPv4 address.
    bool fourNumbers = labels.size() == 4;
    for (const QString& label : labels)
        fourNumbers = fourNumbers && label.size() <= 3 && label.toUInt() <= 255;
    if (!fourNumbers)
        return refused(QStringLiteral("\"%1\" is not an IPv4 address.").arg(host));
    return {};
}

} // namespace

bool isInviteLink(const QString& text)
{
    return text.startsWith(QLatin1String(kInviteScheme) + QLatin1Char(':'), Qt::CaseInsensitive);
}

InviteReading readInviteLink(const QString& link)
{
    const auto no = [](const QString& problem) {
        return InviteReading{std::nullopt, problem};
    };
    if (link.size() > kMaxInviteLength)
        return no(
            refused(QStringLiteral("it is longer than %1 characters.").arg(kMaxInviteLength)));
    for (const QChar c : link) {
        if (c.isSpace() || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format)
            return no(refused(QStringLiteral("it holds blanks or control characters.")));
    }
    const QString prefix = QLatin1String(kInviteScheme) + QLatin1String("://");
    if (!link.startsWith(prefix, Qt::CaseInsensitive))
        return no(refused(QStringLiteral("it does not begin with \"%1\".").arg(prefix)));
    QString rest = link.mid(prefix.size());
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    if (rest.contains(QLatin1Char('@')))
        return no(refused(QStringLiteral("it holds a user name (\"@\").")));
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
        if (rest.contains(c))
            return no(refused(
                QStringLiteral("it holds a path, query or fragment (\"%1\"); a link is only "
                               "quillon://HOST or quillon://HOST:PORT.")
                    .arg(c)));
    }
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    Endpoint table{colon < 0 ? rest : rest.left(colon), kGamePort};
    if (const QString problem = hostProblem(table.host); !problem.isEmpty())
        return no(problem);
    if (colon >= 0) {
        const QString port = rest.mid(colon + 1);
        // Bounded before it is read as a number.
        const uint number = allDigits(port) && port.size() <= kMaxPortDigits ? port.toUInt() : 0;
        if (number < 1 || number > 65535)
            return no(refused(QStringLiteral("the port must be a number from 1 to 65535.")));
        table.port = static_cast<quint16>(number);
    }
    return {table, QString()};
}

QString joinAddress(const Endpoint& table)
{
    if (table.port == kGamePort)
        return table.host;
    return table.host + QLatin1Char(':') + QString::number(table.port);
}

QString inviteLink(const Endpoint& table)
{
    return QLatin1String(kInviteScheme) + QLatin1String("://") + joinAddress(table);
}

QString inviteLinkFor(const QString& internetAddress, const QStringList& localAddresses,
                      quint16 port)
{
    const QString address = !internetAddress.isEmpty() ? internetAddress
                            : localAddresses.isEmpty() ? QString()
                                                       : localAddresses.front();
    return address.isEmpty() ? QString() : inviteLink({address, port});
}

} // namespace protocol::lobby
