#include "host/phrase.h"

namespace host::phrase {

QByteArray upperLetters(QByteArray text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

QList<QByteArray> pieces(const QByteArray& text)
{
    return text.split(' ');
}

QByteArray mask(const QByteArray& phrase)
{
    QByteArray out;
    out.reserve(phrase.size() + 1);
    for (const QByteArray& piece : pieces(phrase)) {
        out.append(piece.size(), '_');
        out.append(' ');
    }
    return out;
}

bool isRefused(const QByteArray& phrase)
{
    qsizetype start = 0;
    for (const QByteArray& piece : pieces(phrase)) {
        const qsizetype end = start + piece.size();
        if (!piece.isEmpty() && QByteArrayView(phrase).sliced(end).contains(piece))
            return true;
        start = end + 1;
    }
    return false;
}

qsizetype locate(const QByteArray& phrase, const QByteArray& word, qsizetype from)
{
    if (word.isEmpty())
        return -1;
    // The same letters inside a longer word ("OLIE" in "ROLIE POLIE OLIE") must not hide
    // the whole word further on.
    for (qsizetype at = phrase.indexOf(word, from); at >= 0; at = phrase.indexOf(word, at + 1)) {
        if (isWholeWord(phrase, at, word.size()))
            return at;
    }
    return phrase.indexOf(word, from);
}

bool isWholeWord(const QByteArray& phrase, qsizetype position, qsizetype length)
{
    const qsizetype end = position + length;
    const bool startsWord = position == 0 || phrase.at(position - 1) == ' ';
    const bool endsWord = end == phrase.size() || (end < phrase.size() && phrase.at(end) == ' ');
    return startsWord && endsWord;
}

bool uncover(QByteArray& mask, const QByteArray& phrase, const QByteArray& word)
{
    bool found = false;
    for (qsizetype at = locate(phrase, word); at >= 0 && isWholeWord(phrase, at, word.size());
         at = locate(phrase, word, at + word.size())) {
        mask.replace(at, word.size(), word);
        found = true;
    }
    return found;
}

bool isClose(const QByteArray& guessWord, const QByteArray& phraseWord)
{
    const QByteArray v = upperLetters(phraseWord);
    for (const char* ending : {"ING", "S", "ES", "ED", "D"}) {
        if (v == guessWord + ending)
            return true;
    }
    int differing = 0;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (i >= guessWord.size() || guessWord.at(i) != v.at(i))
            ++differing;
    }
    return differing < 2;
}

} // namespace host::phrase
