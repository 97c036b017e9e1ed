#include "client/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// Byte strings only: no wide-character conversion (and so no ConvertUTF or ICU). Debian's
// header holds its template definitions behind SI_IMPLEMENTATION (without it, it expects its
// ICU-linked library); the upstream header ignores the macro.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <utility>

namespace client {

// CSimpleIniA compares section and key names with SI_GenericNoCase (ASCII letters without
// regard to case); CSimpleIniCaseA would compare them exactly.
struct IniFile::Parsed {
    CSimpleIniA ini{/*isUtf8=*/false, /*multiKey=*/false, /*multiLine=*/false};
};

namespace {

// Far beyond any settings file (a few kilobytes); keeps a stray huge file out of memory.
constexpr qint64 kMaxFileSize = 1024 * 1024;

#ifdef Q_OS_WIN
const QByteArray kDefaultLineBreak = QByteArrayLiteral("\r\n");
#else
const QByteArray kDefaultLineBreak = QByteArrayLiteral("\n");
#endif

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Names are equal as SimpleIni's case-insensitive ordering sees them.
bool sameName(const QByteArray& a, const QByteArray& b)
{
    const SI_GenericNoCase<char> less;
    return !less(a.constData(), b.constData()) && !less(b.constData(), a.constData());
}

bool parseText(const QByteArray& text, CSimpleIniA& ini)
{
    return ini.LoadData(text.constData(), static_cast<size_t>(text.size())) >= 0;
}

// One line of the file as SimpleIni's reader classifies it. The rules below follow that
// reader exactly (blanks are spaces and tabs; ";" and "#" start comments; a header needs its
// "]"; an entry needs a "=" after a non-empty name); save() re-reads the result to make sure.
struct Line {
    enum class Kind { Other, Section, Entry };
    QByteArray text; // without its line break
    QByteArray lineBreak;
    Kind kind = Kind::Other;
    QByteArray name;          // section or key name
    qsizetype valueStart = 0; // entries: where the value begins in text
};

void classify(Line& line)
{
    const QByteArray& text = line.text;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i == n || text[i] == ';' || text[i] == '#')
        return;
    if (text[i] == '[') {
        ++i;
        while (i < n && isBlank(text[i]))
            ++i;
        const qsizetype close = text.indexOf(']', i);
        if (close < 0)
            return;
        qsizetype end = close;
        while (end > i && isBlank(text[end - 1]))
            --end;
        line.kind = Line::Kind::Section;
        line.name = text.mid(i, end - i);
        return;
    }
    const qsizetype equals = text.indexOf('=', i);
    if (equals <= i)
        return;
    qsizetype end = equals;
    while (end > i && isBlank(text[end - 1]))
        --end;
    qsizetype value = equals + 1;
    while (value < n && isBlank(text[value]))
        ++value;
    line.kind = Line::Kind::Entry;
    line.name = text.mid(i, end - i);
    line.valueStart = value;
}

// Lines end at "\r\n", "\n" or a lone "\r", as SimpleIni reads them.
std::vector<Line> splitLines(const QByteArray& region)
{
    std::vector<Line> lines;
    const qsizetype n = region.size();
    qsizetype pos = 0;
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && region[end] != '\r' && region[end] != '\n')
            ++end;
        qsizetype breakLength = 0;
        if (end < n)
            breakLength = (region[end] == '\r' && end + 1 < n && region[end + 1] == '\n') ? 2 : 1;
        Line line;
        line.text = region.mid(pos, end - pos);
        line.lineBreak = region.mid(end, breakLength);
        classify(line);
        lines.push_back(std::move(line));
        pos = end + breakLength;
    }
    return lines;
}

QByteArray firstLineBreak(const QByteArray& region)
{
    for (qsizetype i = 0; i < region.size(); ++i) {
        if (region[i] == '\n')
            return QByteArrayLiteral("\n");
        if (region[i] == '\r')
            return (i + 1 < region.size() && region[i + 1] == '\n') ? QByteArrayLiteral("\r\n")
                                                                    : QByteArrayLiteral("\r");
    }
    return kDefaultLineBreak;
}

Line entryLine(const QByteArray& key, const QByteArray& value, const QByteArray& lineBreak)
{
    Line line;
    line.text = key + '=' + value;
    line.lineBreak = lineBreak;
    line.kind = Line::Kind::Entry;
    line.name = key;
    line.valueStart = key.size() + 1;
    return line;
}

bool isBlankLine(const Line& line)
{
    return trimBlanks(line.text).isEmpty();
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)), m_parsed(std::make_unique<Parsed>()) {}

IniFile::~IniFile() = default;

bool IniFile::load(QString* error)
{
    m_text.clear();
    m_changes.clear();
    m_parsed = std::make_unique<Parsed>();
    m_loaded = false;

    const QString shown = QDir::toNativeSeparators(m_path);
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QString tooLarge =
        QStringLiteral("%1 is larger than 1 MiB, too large for a settings file; it is left as "
                       "it is")
            .arg(shown);
    const QFileInfo info(m_path);
    if (!info.exists()) {
        m_loaded = true;
        return true;
    }
    if (info.isDir())
        return fail(QStringLiteral("%1 is a folder, not a settings file").arg(shown));
    // Asked before opening, with links followed: opening a FIFO blocks until a writer comes,
    // and a device reports size 0 and never ends.
    if (!info.isFile())
        return fail(QStringLiteral("%1 is not a regular file, so it is not read").arg(shown));
    if (info.size() > kMaxFileSize)
        return fail(tooLarge);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be opened: %2").arg(shown, file.errorString()));
    // One byte past the bound tells a file that grew since it was looked at.
    const QByteArray text = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("%1 cannot be read: %2").arg(shown, file.errorString()));
    if (text.size() > kMaxFileSize)
        return fail(tooLarge);
    if (!parseText(text, m_parsed->ini))
        return fail(QStringLiteral("%1 cannot be read as a settings file").arg(shown));
    m_text = text;
    m_loaded = true;
    return true;
}

std::optional<QByteArray> IniFile::value(const char* section, const char* key) const
{
    const char* found = m_parsed->ini.GetValue(section, key, nullptr);
    if (!found)
        return std::nullopt;
    return QByteArray(found);
}

void IniFile::setValue(const char* section, const char* key, const QByteArray& value)
{
    QByteArray clean = value;
    for (char& c : clean) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    clean = trimBlanks(clean);
    m_parsed->ini.SetValue(section, key, clean.constData());

    const QByteArray sectionName(section);
    const QByteArray keyName(key);
    for (Change& change : m_changes) {
        if (sameName(change.section, sectionName) && sameName(change.key, keyName)) {
            change.value = clean;
            return;
        }
    }
    m_changes.push_back({sectionName, keyName, clean});
}

QByteArray IniFile::patchedText() const
{
    // SimpleIni skips a UTF-8 signature and stops reading at a NUL byte; both pass through.
    const QByteArray signature = QByteArrayLiteral("\xEF\xBB\xBF");
    const qsizetype begin = m_text.startsWith(signature) ? signature.size() : 0;
    qsizetype end = m_text.indexOf('\0', begin);
    if (end < 0)
        end = m_text.size();
    const QByteArray region = m_text.mid(begin, end - begin);
    const QByteArray lineBreak = firstLineBreak(region);
    std::vector<Line> lines = splitLines(region);

    for (const Change& change : m_changes) {
        // An existing key: the reader takes the last of several, so that one is rewritten.
        QByteArray current;
        std::optional<size_t> existing;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind == Line::Kind::Section)
                current = lines[i].name;
            else if (lines[i].kind == Line::Kind::Entry && sameName(current, change.section) &&
                     sameName(lines[i].name, change.key))
                existing = i;
        }
        if (existing) {
            Line& line = lines[*existing];
            line.text = line.text.left(line.valueStart) + change.value;
            continue;
        }

        // A new key: after the last entry (or the header) of the section's first block.
        std::optional<size_t> anchor;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind == Line::Kind::Section) {
                if (anchor)
                    break;
                if (sameName(lines[i].name, change.section))
                    anchor = i;
            } else if (lines[i].kind == Line::Kind::Entry && anchor) {
                anchor = i;
            }
        }
        if (anchor) {
            Line& before = lines[*anchor];
            Line added = entryLine(change.key, change.value, lineBreak);
            if (before.lineBreak.isEmpty()) { // the file's last line: it stays without a break
                before.lineBreak = lineBreak;
                added.lineBreak.clear();
            }
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*anchor + 1),
                         std::move(added));
            continue;
        }

        // A new section at the end, set off by a blank line.
        if (!lines.empty()) {
            if (lines.back().lineBreak.isEmpty())
                lines.back().lineBreak = lineBreak;
            if (!isBlankLine(lines.back())) {
                Line blank;
                blank.lineBreak = lineBreak;
                lines.push_back(blank);
            }
        }
        Line header;
        header.text = '[' + change.section + ']';
        header.lineBreak = lineBreak;
        header.kind = Line::Kind::Section;
        header.name = change.section;
        lines.push_back(std::move(header));
        lines.push_back(entryLine(change.key, change.value, lineBreak));
    }

    QByteArray text = m_text.left(begin);
    for (const Line& line : lines)
        text += line.text + line.lineBreak;
    text += m_text.mid(end);
    return text;
}

bool IniFile::save(QString* error)
{
    const QString shown = QDir::toNativeSeparators(m_path);
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!m_loaded)
        return fail(QStringLiteral("%1 was not read, so it is not written either").arg(shown));

    const QFileInfo info(m_path);
    if (info.exists()) {
        if (info.isDir())
            return fail(QStringLiteral("%1 is a folder, not a settings file").arg(shown));
        // A file without any write permission is read-only for us as well, also for root.
        const auto writeBits =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || !(info.permissions() & writeBits))
            return fail(QStringLiteral("%1 is read-only").arg(shown));
    }

    const QByteArray text = patchedText();
    auto check = std::make_unique<Parsed>();
    if (!parseText(text, check->ini))
        return fail(QStringLiteral("%1 cannot be updated safely").arg(shown));
    for (const Change& change : m_changes) {
        const char* stored =
            check->ini.GetValue(change.section.constData(), change.key.constData(), nullptr);
        if (!stored || change.value != stored)
            return fail(QStringLiteral("%1 cannot be updated safely").arg(shown));
    }

    // QSaveFile writes a temporary file beside the target and renames it over the target
    // only when everything was written.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1 cannot be written: %2").arg(shown, out.errorString()));
    if (out.write(text) != text.size()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return fail(QStringLiteral("%1 cannot be written: %2").arg(shown, reason));
    }
    if (!out.commit())
        return fail(QStringLiteral("%1 cannot be written: %2").arg(shown, out.errorString()));

    m_text = text;
    m_parsed = std::move(check);
    m_changes.clear();
    return true;
}

} // namespace client
