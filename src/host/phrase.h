#pragma once

#include <QByteArray>
#include <QList>

// Text rules of phrases and guesses. Phrases are used exactly as the word lists hold
// them: cut at every single blank, so doubled or trailing blanks give empty pieces.
namespace host::phrase {

// Upper case for the letters a to z only; every other byte stays as it is.
QByteArray upperLetters(QByteArray text);

// The pieces between single blanks, empty ones included.
QList<QByteArray> pieces(const QByteArray& text);

// What guessers see: for every piece as many "_" as it has characters, then a blank.
// One character longer than the phrase, with its blanks where the phrase has them.
QByteArray mask(const QByteArray& phrase);

// A phrase in which a piece occurs (case-sensitively) inside the text after it is refused
// when drawn ("candle in the wind"). Judging does not need this (uncover() finds every
// copy of a word, in any letter case); it keeps the choice of phrases players know.
bool isRefused(const QByteArray& phrase);

// Where a guess word stands in the phrase at or after `from`, 0-based, or -1: the first
// place where it is a whole word, else the first place inside a longer word. An empty
// word stands nowhere.
qsizetype locate(const QByteArray& phrase, const QByteArray& word, qsizetype from = 0);

// Whether `length` characters at `position` form a whole word of the phrase.
bool isWholeWord(const QByteArray& phrase, qsizetype position, qsizetype length);

// Writes a guess word into the mask wherever it stands in the (upper-cased) phrase as a
// whole word; false when it stands nowhere. A word guessed once is known, so every copy
// of a repeated word is uncovered by that one guess, and guessing an uncovered word again
// leaves the mask as it is.
bool uncover(QByteArray& mask, const QByteArray& phrase, const QByteArray& word);

// A near miss earns a private hint: the phrase word is the guess plus "ING", "S", "ES",
// "ED" or "D", or fewer than two of the phrase word's positions differ from the guess
// (extra letters at the end of the guess are not looked at).
bool isClose(const QByteArray& guessWord, const QByteArray& phraseWord);

} // namespace host::phrase
