#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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

    // The longest entry the window's answer line shows whole: it is 440 pixels of 12-point
    // bold DejaVu Sans Mono with 2 pixels between letters, and the longest shipped entries
    // (37 characters) fill it (client_answerline_test measures them).
    static constexpr qsizetype kMaxEntryChars = 37;
    static constexpr qsizetype kMaxWords = 9;
    static constexpr qsizetype kMaxWordChars = 15;
    // Why a parsed entry cannot be played as it stands, or an empty text when it can: it
    // must fit the answer line, survive the wire (no "+", "|" or 0xFF), hold only printable
    // Windows-1252, have one blank between words and none around them, and leave a letter
    // to guess (an "_" of its own would pose as one that can never be uncovered).
    static QString entryFault(const QByteArray& entry);

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
