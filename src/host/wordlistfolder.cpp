#include "host/wordlistfolder.h"

#include "host/phrase.h"
#include "protocol/windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

// A fault found in one file, before the file's name is put to it.
struct Fault {
    int line = 0;
    QString what;
};

struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The file's bytes, or why it cannot be used. The type is looked at before the file is
// opened, and again on the open descriptor: a FIFO or device (put there by mistake, or
// swapped in meanwhile) must neither be read nor hold up the start. Opening does not wait
// for a FIFO's writer, as it is done without blocking.
std::optional<QString> readBounded(const QString& path, QByteArray& bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("missing");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    const QString tooLarge =
        QStringLiteral("larger than %1 MiB").arg(kMaxWordListBytes / (1024 * 1024));
    if (info.size() > kMaxWordListBytes)
        return tooLarge;
    FileDescriptor file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file.fd < 0)
        return QStringLiteral("cannot be opened: ") + systemError();
    struct stat status {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return QStringLiteral("cannot be read: ") + systemError();
        if (n == 0)
            return std::nullopt;
        bytes.append(buffer, static_cast<qsizetype>(n));
        if (bytes.size() > kMaxWordListBytes) // it grew after it was looked at
            return tooLarge;
    }
}

bool isAscii(const QByteArray& line)
{
    for (const char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// A sequence that is not UTF-8 (a stray byte, an overlong or cut form) decodes to U+FFFD
// and so does not come back as it went in.
bool isUtf8(const QByteArray& line)
{
    return QString::fromUtf8(line).toUtf8() == line;
}

// Every character Windows-1252 holds, with its byte.
const QHash<uint, char>& windows1252Bytes()
{
    static const QHash<uint, char> bytes = [] {
        QHash<uint, char> map;
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QList<uint> decoded =
                protocol::fromWindows1252(QByteArrayView(&byte, 1)).toUcs4();
            if (decoded.size() == 1 && decoded.first() != 0xFFFD)
                map.insert(decoded.first(), byte);
        }
        return map;
    }();
    return bytes;
}

// A UTF-8 line in Windows-1252, or the first character that has no place there.
std::optional<QByteArray> toWindows1252(const QByteArray& utf8, uint& missing)
{
    const QHash<uint, char>& bytes = windows1252Bytes();
    QByteArray out;
    for (const uint c : QString::fromUtf8(utf8).toUcs4()) {
        const auto found = bytes.constFind(c);
        if (found == bytes.constEnd()) {
            missing = c;
            return std::nullopt;
        }
        out.append(*found);
    }
    return out;
}

// The lines of a file in Windows-1252. A file is taken as UTF-8 when it starts with the byte
// order mark or one of its lines is UTF-8 beyond ASCII (a Windows-1252 text almost never
// is); a line of such a file that is not UTF-8 is refused rather than read as Windows-1252,
// so a file is never read half one way and half the other.
std::optional<Fault> decodeLines(QList<QByteArray>& lines)
{
    const QByteArray bom("\xEF\xBB\xBF");
    const bool marked = !lines.isEmpty() && lines.first().startsWith(bom);
    if (marked)
        lines.first().remove(0, bom.size());
    int utf8Witness = 0;
    for (qsizetype i = 0; i < lines.size() && utf8Witness == 0; ++i) {
        if (!isAscii(lines[i]) && isUtf8(lines[i]))
            utf8Witness = static_cast<int>(i + 1);
    }
    if (!marked && utf8Witness == 0)
        return std::nullopt;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        if (!isUtf8(lines[i])) {
            return Fault{number,
                         marked ? QStringLiteral("not UTF-8, though the file starts "
                                                 "with UTF-8's byte order mark")
                                : QStringLiteral("not UTF-8, though line %1 is").arg(utf8Witness)};
        }
        uint missing = 0;
        const std::optional<QByteArray> converted = toWindows1252(lines[i], missing);
        if (!converted) {
            return Fault{number,
                         QStringLiteral("a character Windows-1252 does not have (U+%1)")
                             .arg(QString::number(missing, 16).toUpper().rightJustified(4, u'0'))};
        }
        lines[i] = *converted;
    }
    return std::nullopt;
}

std::optional<Fault> readList(const QString& path, QList<QByteArray>& entries)
{
    QByteArray bytes;
    if (const std::optional<QString> unusable = readBounded(path, bytes))
        return Fault{0, *unusable};
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast(); // after the final line break
    if (lines.isEmpty())
        return Fault{0, QStringLiteral("empty")};
    if (std::optional<Fault> fault = decodeLines(lines))
        return fault;
    entries.clear();
    bool drawable = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray entry = WordLists::parse(lines[i] + '\n').value(0);
        const QString fault = WordLists::entryFault(entry);
        if (!fault.isEmpty())
            return Fault{static_cast<int>(i + 1), fault};
        drawable = drawable || !phrase::isRefused(entry);
        entries.append(entry);
    }
    if (!drawable)
        return Fault{0, QStringLiteral("no entry that can be drawn (a word of each one comes "
                                       "again later in it)")};
    return std::nullopt;
}

} // namespace

QString WordListFault::text() const
{
    return line > 0 ? QStringLiteral("%1 line %2: %3").arg(file).arg(line).arg(what)
                    : QStringLiteral("%1: %2").arg(file, what);
}

std::variant<WordLists, WordListFault> readWordListFolder(const QString& folder)
{
    std::array<QList<QByteArray>, WordLists::kCategories> lists;
    const QDir dir(folder);
    for (int n = 0; n < WordLists::kCategories; ++n) {
        const QString name = QStringLiteral("wordlist%1.txt").arg(n);
        if (std::optional<Fault> fault =
                readList(dir.filePath(name), lists[static_cast<size_t>(n)]))
            return WordListFault{name, fault->line, fault->what};
    }
    return WordLists(std::move(lists));
}

} // namespace host
