#include "lobby/tablechoice.h"

#include "protocol/lobby.h"
#include "protocol/windows1252.h"

namespace lobby {

namespace {

bool isControl(char32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7f && codePoint < 0xa0);
}

// Whether one character survives the trip to the wire and back unchanged.
bool wireCarries(char32_t codePoint)
{
    if (isControl(codePoint))
        return false;
    const QString text = QString::fromUcs4(&codePoint, 1);
    return protocol::fromWindows1252(protocol::toWindows1252(text)) == text;
}

} // namespace

std::optional<QString> nameProblem(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QString::fromLatin1(kEmptyName);
    if (trimmed.size() > kMaxNameLength)
        return QString::fromLatin1(kNameTooLong);
    if (trimmed.startsWith(QLatin1Char('-')))
        return QString::fromLatin1(kNameStartsWithDash);
    for (const char32_t codePoint : trimmed.toUcs4()) {
        if (wireCarries(codePoint))
            continue;
        const QString shown =
            isControl(codePoint)
                ? QStringLiteral("U+%1").arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0'))
                : QString::fromUcs4(&codePoint, 1);
        return QStringLiteral("Your name cannot hold \"%1\": the game cannot send it. "
                              "Please use other characters.")
            .arg(shown);
    }
    return std::nullopt;
}

std::optional<QString> addressProblem(const QString& address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return QString::fromLatin1(kEmptyAddress);
    if (trimmed.startsWith(QLatin1Char('-')))
        return QString::fromLatin1(kAddressStartsWithDash);
    for (const QChar c : trimmed) {
        if (c.isSpace())
            return QString::fromLatin1(kAddressWithBlanks);
    }
    return std::nullopt;
}

QString hostToLookUp(const QString& address)
{
    return protocol::lobby::readEndpoint(address.trimmed()).host;
}

QStringList gameArguments(const TableChoice& choice)
{
    const QString address = choice.hosting ? QString::fromLatin1(protocol::lobby::kLoopbackAddress)
                                           : choice.address.trimmed();
    return {choice.name.trimmed(), address,
            choice.hosting ? QStringLiteral("true") : QStringLiteral("false")};
}

} // namespace lobby
