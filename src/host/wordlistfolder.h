#pragma once

#include "host/wordlists.h"

#include <QString>

#include <variant>

namespace host {

// What is wrong with a folder of word lists: the file, the line (0: the file as a whole)
// and what was found there.
struct WordListFault {
    QString file;
    int line = 0;
    QString what;

    // "wordlist3.txt line 17: a control character (0x07)"
    QString text() const;
};

// The largest list file read; the shipped lists are below 20 KiB each.
inline constexpr qint64 kMaxWordListBytes = 4 * 1024 * 1024;

// Reads wordlist0.txt to wordlist6.txt from `folder`, each in the order WordLists wants
// them. A file is Windows-1252, or UTF-8 (with or without a byte order mark) whose
// characters all have a place in Windows-1252; it must be a regular file of at most
// kMaxWordListBytes, and every line must pass WordLists::entryFault. A list needs at least
// one entry that can be drawn (WordLists skips those phrase::isRefused names). The first
// fault found is returned; a FIFO or device in the folder is refused without being read.
std::variant<WordLists, WordListFault> readWordListFolder(const QString& folder);

} // namespace host
