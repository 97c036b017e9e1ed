#pragma once

#include "protocol/colour.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPoint>

#include <span>
#include <variant>
#include <vector>

namespace protocol {

// Every message of the game, in one table. Names are fixed byte for byte; a few exist in
// both directions with different fields, so the identifiers carry the direction.
enum class MessageId {
    // Player window to host, in the host's order of comparison.
    LoginInfo,
    KickHim,
    ChatToHost,
    ActionToHost,
    StartGameToHost,
    DrawToHost,
    ClearMainToHost,
    Answer,
    MoveItToHost,
    PickCategoryToHost,
    Pass,
    JustWatch,
    PlayASoundToHost,
    // Host to player window, in the player window's order of comparison.
    SendLoginInfo,
    Chat,
    Action,
    NewPlayerInfo,
    ExistingPlayers,
    PlayerDisconnected,
    StartGame,
    NextPlayer,
    Winner,
    Full,
    Draw,
    MoveIt,
    ClearMain,
    CorrectAnswer,
    UpdateAnswer,
    GiveDrawerAnswer,
    Guessed,
    PickCategory,
    MyGuessed,
    Passed,
    RefreshPlayerList,
    HaveWrongVersion,
    WrongVersion,
    JustWatching,
    TeamScore,
    GameStats,
    VeryClose,
    PlayASound,
    UpdateTime, // the host's clock; windows of the original design ignore it, ours follow it
};

enum class Direction { ToHost, ToPlayer };

enum class FieldKind {
    Integer,     // decimal
    Text,        // as typed; as the last field it is the whole rest, "+" included
    Boolean,     // "true" or "false"; anything but "true" reads as false
    Colour,      // identifier or "$" and eight hex digits
    TextColour,  // text "|" colour
    Empty,       // a field that is always empty
    PointList,   // one "x,y" field per stroke point
    IntegerList, // the remaining fields, each an integer
};

struct FieldSpec {
    const char* label;
    FieldKind kind;
};

struct MessageSpec {
    MessageId id;
    const char* name;
    Direction direction;
    std::span<const FieldSpec> fields;
    // The sender appends one more "+" after the last field, so that field is cut at its
    // first "+" like the others instead of being read as the rest.
    bool extraPlus;
    // The handler that takes the message on the receiving side; empty for none.
    const char* handler;
};

// The whole catalogue: 13 messages to the host, then 29 to the player windows.
std::span<const MessageSpec> catalogue();
std::span<const MessageSpec> catalogue(Direction direction);
const MessageSpec& messageSpec(MessageId id);
// The message of this direction with exactly this name (case-sensitive), or nullptr.
const MessageSpec* findMessage(Direction direction, QByteArrayView name);

using FieldValue =
    std::variant<qint32, QByteArray, bool, ColourValue, TextColour, QList<QPoint>, QList<qint32>>;

// A message's fields in order, as read or to be built.
class Fields : public std::vector<FieldValue> {
public:
    using std::vector<FieldValue>::vector;
    qint32 integer(size_t i) const { return std::get<qint32>(at(i)); }
    const QByteArray& text(size_t i) const { return std::get<QByteArray>(at(i)); }
    bool boolean(size_t i) const { return std::get<bool>(at(i)); }
    ColourValue colour(size_t i) const { return std::get<ColourValue>(at(i)); }
    const TextColour& textColour(size_t i) const { return std::get<TextColour>(at(i)); }
    const QList<QPoint>& points(size_t i) const { return std::get<QList<QPoint>>(at(i)); }
    const QList<qint32>& integers(size_t i) const { return std::get<QList<qint32>>(at(i)); }
};

// The message with its terminator. Throws std::invalid_argument when the values do not
// match the message's fields in number and kind (a programming error, not bad input).
QByteArray buildMessage(MessageId id, const Fields& fields);

// Reads the payload (the text after the name and its "+") field by field. Throws
// ConversionError at the first field that must be a number and is not (a missing number
// reads as an empty text and throws too).
Fields readMessage(MessageId id, const QByteArray& payload);

} // namespace protocol
