#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace protocol {

// Text on the wire and in the settings file is single-byte Windows-1252; the window works
// in QString. These two functions are the only crossing between the two.

QString fromWindows1252(QByteArrayView bytes);

// A character that Windows-1252 cannot hold becomes "?". The terminator byte (0xFF, "ÿ")
// is replaced as well, so a typed text can never cut the message that carries it.
QByteArray toWindows1252(QStringView text);

// Wire text as it goes into a log line: decoded, cut to `maxChars`, control characters
// (a newline would forge log lines) shown as "?".
QString printable(QByteArrayView bytes, qsizetype maxChars = 80);

} // namespace protocol
