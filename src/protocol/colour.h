#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace protocol {

// A colour as it travels: 32 bits with red in the low byte, then green, then blue.
// Values from 0x80000000 name the desktop's system colours; 0x1FFFFFFF is clNone.
using ColourValue = quint32;

inline constexpr ColourValue rgbColour(int red, int green, int blue)
{
    return static_cast<ColourValue>((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}
inline constexpr ColourValue kWhite = rgbColour(255, 255, 255);
inline constexpr ColourValue kBlack = rgbColour(0, 0, 0);
// The game's own colour: names, scores, the clock's bar and chat text start out maroon.
inline constexpr ColourValue kMaroon = rgbColour(128, 0, 0);
inline constexpr ColourValue kNone = 0x1FFFFFFF;
inline constexpr ColourValue kSystemColourBase = 0x80000000;

// The identifier when the value has one ("clMaroon"), otherwise "$" and eight upper-case
// hex digits ("$00804020").
QByteArray colourText(ColourValue colour);

// Identifier (any letter case), "$"-hex or a plain decimal number; nullopt otherwise.
std::optional<ColourValue> parseColour(QByteArrayView text);
// The same, throwing ConversionError like an integer field.
ColourValue toColour(QByteArrayView text);

// "text|colour" as chat and actions carry it: cut at the first "|". Without "|" or with
// an unreadable colour, the colour is white.
struct TextColour {
    QByteArray text;
    ColourValue colour = kWhite;
    friend bool operator==(const TextColour&, const TextColour&) = default;
};
TextColour splitTextColour(QByteArrayView field);
QByteArray joinTextColour(QByteArrayView text, ColourValue colour);

} // namespace protocol
