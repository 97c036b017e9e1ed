#include "protocol/windows1252.h"

#include "protocol/message.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace protocol {

QString fromWindows1252(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder(bytes);
}

QByteArray toWindows1252(QStringView text)
{
    QStringEncoder encoder("windows-1252");
    QByteArray bytes = encoder(text);
    // The converter marks characters it cannot map with SUB (0x1A); players expect "?".
    bytes.replace('\x1A', '?');
    return wireSafe(std::move(bytes));
}

QString printable(QByteArrayView bytes, qsizetype maxChars)
{
    QString text = fromWindows1252(bytes.first(std::min(bytes.size(), maxChars)));
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return text;
}

} // namespace protocol
