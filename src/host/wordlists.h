#pragma once

#include <QByteArray>
#include <QList>

#include <array>

namespace host {

// The seven category lists phrases are drawn from (0 General, 1 Actions, 2 Phrases,
// 3 Music, 4 Movies, 5 TV Shows, 6 Food and Drink). They travel inside the program,
// sorted; a drawn entry is removed for the rest of the run.
class WordLists {
public:
    static constexpr int kCategories = 7;

    // The lists compiled into the program.
    static WordLists builtIn();
    // One entry per line, each line ended by "\n". Blanks are part of the entry (doubled
    // and trailing ones included); tabs and line ends are not part of any word.
    static QList<QByteArray> parse(const QByteArray& text);

    WordLists() = default;
    explicit WordLists(std::array<QList<QByteArray>, kCategories> lists) : m_lists(std::move(lists))
    {}

    static bool isCategory(int n) { return n >= 0 && n < kCategories; }
    int count(int category) const;
    const QByteArray& entry(int category, int index) const;
    void remove(int category, int index);

private:
    std::array<QList<QByteArray>, kCategories> m_lists;
};

} // namespace host
