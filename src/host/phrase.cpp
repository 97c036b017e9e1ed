#include "host/phrase.h"

namespace host::phrase {

namespace {

// Letters of Windows-1252: A to Z in both cases, and the accented ones (0x8A, 0x8C, 0x8E,
// 0x9A, 0x9C, 0x9E, 0x9F, and 0xC0 to 0xFF but for the signs 0xD7 and 0xF7).
bool isLetter(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    if (c >= 0xC0)
        return c != 0xD7 && c != 0xF7;
    return c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F;
}

unsigned char toUpper(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
        return static_cast<unsigned char>(c - 0x10);
    case 0xFF:
        return 0x9F;
    default:
        return c;
    }
}

} // namespace

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
        for (const char c : piece)
            out.append(isLetter(static_cast<unsigned char>(c)) ? '_' : c);
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

QByteArray key(const QByteArray& word)
{
    QByteArray k;
    k.reserve(word.size());
    for (const char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        if (isLetter(c) || (c >= '0' && c <= '9'))
            k.append(static_cast<char>(toUpper(c)));
    }
    return k;
}

bool uncover(QByteArray& mask, const QByteArray& phrase, const QByteArray& word)
{
    const QByteArray wanted = key(word);
    if (wanted.isEmpty())
        return false;
    bool found = false;
    qsizetype at = 0;
    for (const QByteArray& piece : pieces(phrase)) {
        if (key(piece) == wanted) {
            mask.replace(at, piece.size(), piece);
            found = true;
        }
        at += piece.size() + 1;
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
