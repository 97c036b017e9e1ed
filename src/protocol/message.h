#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <initializer_list>

namespace protocol {

// Every message ends in this byte; there is no length prefix, quoting or escaping.
inline constexpr char kTerminator = '\xFF';
// Field separator, also between the name and the first field.
inline constexpr char kSeparator = '+';
// A queued entry is handed to its handler cut to this many characters.
inline constexpr qsizetype kMaxEntryLength = 4096;

// Builds name + "+" + fields joined by "+" (+ one more "+" when asked) + terminator.
QByteArray buildMessage(QByteArrayView name, std::initializer_list<QByteArrayView> fields,
                        bool extraPlus = false);

// A received entry cut into its name and the payload after the first "+".
struct Entry {
    QByteArray name;    // empty when the entry holds no "+"
    QByteArray payload; // everything after the first "+", unchanged
};
Entry splitEntry(const QByteArray& entry);

// Replaces the terminator byte inside a field text so it cannot cut the message.
QByteArray wireSafe(QByteArray text);

} // namespace protocol
