#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <stdexcept>

namespace protocol {

// Raised when a field that must hold an integer does not. The text is the one players
// have always seen: "'<field>' is not a valid integer value".
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(QByteArrayView field);
    const QByteArray& field() const { return m_field; }

private:
    QByteArray m_field;
};

// Reads a 32-bit integer the way every peer writes it: optional blanks before an
// optional sign, then decimal digits, or "$"/"0x" and hexadecimal digits (a hex text
// may fill all 32 bits). Anything else, an empty text or a value out of range throws.
qint32 toInt(QByteArrayView text);

// The same, without throwing.
bool tryToInt(QByteArrayView text, qint32& value);

} // namespace protocol
