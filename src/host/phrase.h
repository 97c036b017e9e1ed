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

// What guessers see: for every piece its letters as "_" and everything else (digits,
// apostrophes, hyphens) as it is, then a blank. One character longer than the phrase, with
// its blanks where the phrase has them: "JOJO'S CIRCUS" masks as "____'_ ______ ".
QByteArray mask(const QByteArray& phrase);

// A phrase in which a piece occurs (case-sensitively) inside the text after it is refused
// when drawn ("candle in the wind"). Judging does not need this (uncover() finds every
// copy of a word, in any letter case); it keeps the choice of phrases players know.
bool isRefused(const QByteArray& phrase);

// What a word is compared by: its letters in upper case (Windows-1252's accented letters
// included) and its digits; punctuation is left out, so "jojos", "jojo's" and "jojo\x92s"
// (the typographic apostrophe) are all the same word.
QByteArray key(const QByteArray& word);

// Writes a guess word into the mask wherever the (upper-cased) phrase has it as a whole
// piece, compared by key(); false when it has it nowhere. A word guessed once is known, so
// every copy of a repeated word is uncovered by that one guess, and guessing an uncovered
// word again leaves the mask as it is. Letters inside a longer word uncover nothing.
bool uncover(QByteArray& mask, const QByteArray& phrase, const QByteArray& word);

// A near miss earns a private hint: the phrase word is the guess plus "ING", "S", "ES",
// "ED" or "D", or fewer than two of the phrase word's positions differ from the guess
// (extra letters at the end of the guess are not looked at).
bool isClose(const QByteArray& guessWord, const QByteArray& phraseWord);

} // namespace host::phrase
