#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lobby {

// What the player asked the launcher for: a name, and either a table of their own or the
// address of somebody else's.
struct TableChoice {
    QString name;
    bool hosting = true;
    QString address; // only when joining: a host name or IP address, optionally ":port"
};

// The host cuts longer names; the launcher says so instead.
inline constexpr int kMaxNameLength = 64;

inline constexpr char kEmptyName[] = "Please enter your name.";
inline constexpr char kNameTooLong[] = "Your name is too long: at most 64 characters.";
inline constexpr char kNameStartsWithDash[] = "Your name cannot begin with \"-\".";
inline constexpr char kEmptyAddress[] = "Please enter the address of the table to join.";
inline constexpr char kAddressStartsWithDash[] = "The address cannot begin with \"-\".";
inline constexpr char kAddressWithBlanks[] = "The address cannot hold blanks.";

// Why the game could not carry this name, or nothing when it can. The game's messages are
// single-byte Windows-1252 text ended by the byte 0xFF, so the name may hold only what that
// code page holds, never "ÿ" (0xFF) and no control characters. "+" is fine: the name is the
// last field of the login. A leading "-" would be taken for one of Qt's own options.
std::optional<QString> nameProblem(const QString& name);

// Why this is not an address to join, before any lookup; nothing when it may be one.
std::optional<QString> addressProblem(const QString& address);

// The host name to look up for a joining address (without an optional ":port").
QString hostToLookUp(const QString& address);

// The game's command line: the name, the host's address (the loopback address when hosting,
// which the game ignores then), and "true" to host or "false" to join.
QStringList gameArguments(const TableChoice& choice);

} // namespace lobby
