#include "host/wordlists.h"

#include "host/phrase.h"

#include <QFile>

namespace host {

namespace {

bool isTabOrLineEnd(char c)
{
    return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A tab or line end around an entry (an edited list, a file saved on Windows) is no part
// of its last or first word: it is dropped, while the blanks there stay as they are, so the
// mask keeps its shape. Inside the entry it parts two words, as a blank does.
QByteArray withoutTabsAndLineEnds(const QByteArray& line)
{
    const auto isSpace = [](char c) {
        return c == ' ' || isTabOrLineEnd(c);
    };
    qsizetype begin = 0;
    while (begin < line.size() && isSpace(line.at(begin)))
        ++begin;
    qsizetype end = line.size();
    while (end > begin && isSpace(line.at(end - 1)))
        --end;
    QByteArray entry;
    entry.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (!isTabOrLineEnd(c))
            entry.append(c);
        else if (i >= begin && i < end)
            entry.append(' ');
    }
    return entry;
}

// Bytes Windows-1252 leaves without a character.
bool isUndefinedInWindows1252(unsigned char c)
{
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

QString hex(unsigned char c)
{
    return QStringLiteral("0x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

QString WordLists::entryFault(const QByteArray& entry)
{
    if (entry.isEmpty())
        return QStringLiteral("an empty line");
    for (const char ch : entry) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F)
            return QStringLiteral("a control character (%1)").arg(hex(c));
        if (isUndefinedInWindows1252(c))
            return QStringLiteral("a byte Windows-1252 has no character for (%1)").arg(hex(c));
        if (c == 0xFF)
            return QStringLiteral("the byte 0xFF, which ends every message");
        if (ch == '+' || ch == '|')
            return QStringLiteral("a \"%1\", which parts the fields of a message")
                .arg(QLatin1Char(ch));
        if (ch == '_')
            return QStringLiteral("a \"_\", which the answer line shows for a hidden letter");
    }
    if (entry != entry.simplified())
        return QStringLiteral("a blank at the start or the end, or two blanks in a row");
    if (entry.size() > kMaxEntryChars)
        return QStringLiteral("%1 characters, more than the answer line shows (%2)")
            .arg(entry.size())
            .arg(kMaxEntryChars);
    const QList<QByteArray> words = entry.split(' ');
    if (words.size() > kMaxWords)
        return QStringLiteral("%1 words, more than %2").arg(words.size()).arg(kMaxWords);
    for (const QByteArray& word : words) {
        if (word.size() > kMaxWordChars)
            return QStringLiteral("a word of %1 characters, more than %2")
                .arg(word.size())
                .arg(kMaxWordChars);
    }
    if (!phrase::mask(entry).contains('_'))
        return QStringLiteral("no letter to guess");
    return {};
}

WordLists WordLists::builtIn()
{
    std::array<QList<QByteArray>, kCategories> lists;
    for (int n = 0; n < kCategories; ++n) {
        QFile file(QStringLiteral(":/wordlists/wordlist%1.txt").arg(n));
        if (file.open(QIODevice::ReadOnly))
            lists[static_cast<size_t>(n)] = parse(file.readAll());
    }
    return WordLists(std::move(lists));
}

QList<QByteArray> WordLists::parse(const QByteArray& text)
{
    QList<QByteArray> entries = text.split('\n');
    if (!entries.isEmpty() && entries.last().isEmpty())
        entries.removeLast(); // after the final line break
    for (QByteArray& entry : entries)
        entry = withoutTabsAndLineEnds(entry);
    return entries;
}

int WordLists::count(int category) const
{
    return isCategory(category) ? static_cast<int>(m_lists[static_cast<size_t>(category)].size())
                                : 0;
}

const QByteArray& WordLists::entry(int category, int index) const
{
    return m_lists.at(static_cast<size_t>(category)).at(index);
}

void WordLists::remove(int category, int index)
{
    m_lists.at(static_cast<size_t>(category)).removeAt(index);
}

} // namespace host
