#include "protocol/conversion.h"

#include <limits>

namespace protocol {

namespace {

std::string errorText(QByteArrayView field)
{
    std::string s = "'";
    s.append(field.data(), static_cast<size_t>(field.size()));
    s.append("' is not a valid integer value");
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

ConversionError::ConversionError(QByteArrayView field)
    : std::runtime_error(errorText(field)), m_field(field.toByteArray())
{}

bool tryToInt(QByteArrayView text, qint32& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;
    quint64 magnitude = 0;
    // Hex texts may use all 32 bits ("$80000005"); decimal ones stay in the signed range.
    const quint64 limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; i < n; ++i) {
        const int d =
            hex ? hexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0)
            return false;
        magnitude = magnitude * (hex ? 16u : 10u) + static_cast<quint64>(d);
        if (magnitude > limit)
            return false;
    }
    const auto bits = static_cast<quint32>(magnitude);
    value = static_cast<qint32>(negative ? 0u - bits : bits);
    return true;
}

qint32 toInt(QByteArrayView text)
{
    qint32 value = 0;
    if (!tryToInt(text, value))
        throw ConversionError(text);
    return value;
}

} // namespace protocol
