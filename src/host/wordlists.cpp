#include "host/wordlists.h"

#include <QFile>

namespace host {

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
