#include "host/wordlists.h"

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

} // namespace

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
