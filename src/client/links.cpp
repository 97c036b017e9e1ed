#include "client/links.h"

#include <array>

namespace client {

namespace {

bool breaksRun(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool endsLink(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'/';
}

} // namespace

std::optional<Link> findLink(const QString& text, int position)
{
    if (position < 0 || position >= text.size() || breaksRun(text[position]))
        return std::nullopt;
    int start = position;
    while (start > 0 && !breaksRun(text[start - 1]))
        --start;
    int end = position + 1;
    while (end < text.size() && !breaksRun(text[end]))
        ++end;
    const QString run = text.mid(start, end - start);
    const QString lower = run.toLower();

    // The order decides, not where a prefix stands in the run.
    static const std::array<QLatin1String, 9> kPrefixes = {
        QLatin1String("http://"), QLatin1String("https://"),  QLatin1String("ftp://"),
        QLatin1String("file://"), QLatin1String("gopher://"), QLatin1String("telnet://"),
        QLatin1String("news:"),   QLatin1String("mailto:"),   QLatin1String("www.")};
    for (const QLatin1String prefix : kPrefixes) {
        const qsizetype at = lower.indexOf(prefix);
        if (at < 0)
            continue;
        QString address = run.mid(at);
        while (!address.isEmpty() && !endsLink(address.back()))
            address.chop(1);
        if (address.size() <= prefix.size())
            return std::nullopt;
        // "www." names a web page but is no address: without a scheme the desktop takes it
        // for a file in the current folder.
        QString target =
            prefix == QLatin1String("www.") ? QStringLiteral("http://") + address : address;
        return Link{start + static_cast<int>(at), static_cast<int>(address.size()), address,
                    std::move(target), prefix == QLatin1String("file://")};
    }
    return std::nullopt;
}

} // namespace client
