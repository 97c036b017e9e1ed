#include "host/logline.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

QByteArray formatLogLine(LogLevel level, const QString& text, bool journal, QTime now)
{
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    QByteArray line;
    if (journal) {
        line = '<' + QByteArray::number(static_cast<int>(level)) + '>';
    } else {
        line = "quillon-host: " + now.toString(QStringLiteral("HH:mm:ss.zzz ")).toLatin1();
    }
    return line + oneLine.toUtf8() + '\n';
}

bool isJournalStream(int fd, const char* journalStream)
{
    if (!journalStream)
        return false;
    // strtoull accepts signs and spaces; the variable holds plain decimal digits only.
    const QByteArray value(journalStream);
    const qsizetype colon = value.indexOf(':');
    if (colon <= 0 || colon == value.size() - 1)
        return false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (i != colon && (value[i] < '0' || value[i] > '9'))
            return false;
    }
    bool devOk = false;
    bool inodeOk = false;
    const qulonglong device = value.left(colon).toULongLong(&devOk);
    const qulonglong inode = value.mid(colon + 1).toULongLong(&inodeOk);
    struct stat status = {};
    if (!devOk || !inodeOk || ::fstat(fd, &status) != 0)
        return false;
    return status.st_dev == device && status.st_ino == inode;
}

void writeLog(LogLevel level, const QString& text)
{
    static const bool journal = isJournalStream(STDERR_FILENO, std::getenv("JOURNAL_STREAM"));
    const QByteArray line = formatLogLine(level, text, journal, QTime::currentTime());
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace host
