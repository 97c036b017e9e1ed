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

// A phrase in which a piece occurs (case-sensitively) inside the text after it can never
// be uncovered word by word, so it is refused when drawn ("candle in the wind").
bool isRefused(const QByteArray& phrase);

// Where a guess word stands in the phrase, 0-based, or -1: first as a whole word between
// blanks, then before a blank, then after a blank, then anywhere.
qsizetype locate(const QByteArray& phrase, const QByteArray& word);

// Whether `length` characters at `position` form a whole word of the phrase.
bool isWholeWord(const QByteArray& phrase, qsizetype position, qsizetype length);

// A near miss earns a private hint: the phrase word is the guess plus "ING", "S", "ES",
// "ED" or "D", or fewer than two of the phrase word's positions differ from the guess
// (extra letters at the end of the guess are not looked at).
bool isClose(const QByteArray& guessWord, const QByteArray& phraseWord);

} // namespace host::phrase
