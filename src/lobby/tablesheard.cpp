#include "lobby/tablesheard.h"

#include <QStringDecoder>

namespace lobby {

namespace {

// A plain decimal number from 0 to `max`: digits only, no leading zero but for 0 itself.
std::optional<int> boundedNumber(QByteArrayView text, int max)
{
    if (text.isEmpty() || text.size() > 5 || (text.size() > 1 && text.front() == '0'))
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0'); // at most five digits: no overflow
    }
    if (value > max)
        return std::nullopt;
    return value;
}

std::optional<QString> plainName(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > Announcement::kMaxNameBytes)
        return std::nullopt;
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = decode(bytes);
    // A character cut off at the end may be held back rather than flagged: only text that
    // encodes back to the very bytes is whole.
    const QByteArray encodedBack = name.toUtf8();
    if (decode.hasError() || QByteArrayView(encodedBack) != bytes)
        return std::nullopt;
    for (QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::ReplacementCharacter || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return std::nullopt;
    }
    QString shown = name.trimmed();
    if (shown.isEmpty())
        return std::nullopt;
    if (shown.size() > Announcement::kShownNameChars) {
        qsizetype cut = Announcement::kShownNameChars;
        if (shown.at(cut - 1).isHighSurrogate())
            --cut; // never half a character
        shown = shown.left(cut);
    }
    return shown;
}

} // namespace

std::optional<HeardTable> Announcement::read(QByteArrayView datagram)
{
    // The six fields before the name, each ended by one space.
    QByteArrayView fields[6];
    QByteArrayView rest = datagram;
    for (QByteArrayView& field : fields) {
        const qsizetype space = rest.indexOf(' ');
        if (space < 0)
            return std::nullopt;
        field = rest.first(space);
        rest = rest.sliced(space + 1);
    }
    if (fields[0] != "QUILLON" || fields[1] != "1")
        return std::nullopt;
    const auto port = boundedNumber(fields[2], 65535);
    const auto players = boundedNumber(fields[3], kMaxSeats);
    const auto spectators = boundedNumber(fields[4], kMaxSeats);
    const auto running = boundedNumber(fields[5], 1);
    const auto name = plainName(rest);
    if (!port || *port == 0 || !players || !spectators || !running || !name)
        return std::nullopt;
    HeardTable table;
    table.address = QString::number(*port); // the caller puts the sender's address before it
    table.hostName = *name;
    table.players = *players;
    table.spectators = *spectators;
    table.gameRunning = *running == 1;
    return table;
}

bool TablesHeard::heard(const QString& senderAddress, QByteArrayView datagram, qint64 nowMs)
{
    std::optional<HeardTable> table = Announcement::read(datagram);
    if (!table || senderAddress.isEmpty())
        return false;
    table->address = senderAddress + QLatin1Char(':') + table->address;
    table->lastHeardMs = nowMs;
    for (HeardTable& known : m_tables) {
        if (known.address == table->address) {
            const bool changed = !known.looksLike(*table);
            known = *table;
            return changed;
        }
    }
    if (m_tables.size() >= kMaxTables)
        return false;
    m_tables.append(*table);
    return true;
}

bool TablesHeard::forget(qint64 nowMs)
{
    return m_tables.removeIf([nowMs](const HeardTable& t) {
        return nowMs - t.lastHeardMs >= kForgetAfterMs;
    }) > 0;
}

} // namespace lobby
