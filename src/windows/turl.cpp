#include "windows/turl.h"

#include "windows/shell.h"

namespace windows {

QString TURL::prefix(URLType type)
{
    switch (type) {
    case utFile:
        return QStringLiteral("file://");
    case utFtp:
        return QStringLiteral("ftp://");
    case utGopher:
        return QStringLiteral("gopher://");
    case utHttp:
        return QStringLiteral("http://");
    case utHttps:
        return QStringLiteral("https://");
    case utMailto:
        return QStringLiteral("mailto:");
    case utNews:
        return QStringLiteral("news:");
    case utTelnet:
        return QStringLiteral("telnet:");
    case utWais:
        return QStringLiteral("wais:");
    case utnone:
        break;
    }
    return {};
}

TURL::TURL(Shell& shell) : shell_(&shell) {}

bool TURL::open() const
{
    if (url_.isEmpty())
        return false;
    return Shell::succeeded(shell_->open(address(), QString(), QString()));
}

} // namespace windows
