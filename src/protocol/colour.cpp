#include "protocol/colour.h"

#include "protocol/conversion.h"

#include <array>

namespace protocol {

namespace {

struct NamedColour {
    const char* name;
    ColourValue value;
};

constexpr std::array<const char*, 25> kSystemNames = {
    "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
    "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
    "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
    "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
    "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
    "clInfoBk"};

constexpr std::array<NamedColour, 17> kNamed = {{
    {"clBlack", rgbColour(0, 0, 0)},
    {"clMaroon", kMaroon},
    {"clGreen", rgbColour(0, 128, 0)},
    {"clOlive", rgbColour(128, 128, 0)},
    {"clNavy", rgbColour(0, 0, 128)},
    {"clPurple", rgbColour(128, 0, 128)},
    {"clTeal", rgbColour(0, 128, 128)},
    {"clGray", rgbColour(128, 128, 128)},
    {"clSilver", rgbColour(192, 192, 192)},
    {"clRed", rgbColour(255, 0, 0)},
    {"clLime", rgbColour(0, 255, 0)},
    {"clYellow", rgbColour(255, 255, 0)},
    {"clBlue", rgbColour(0, 0, 255)},
    {"clFuchsia", rgbColour(255, 0, 255)},
    {"clAqua", rgbColour(0, 255, 255)},
    {"clWhite", rgbColour(255, 255, 255)},
    {"clNone", kNone},
}};

} // namespace

QByteArray colourText(ColourValue colour)
{
    for (const NamedColour& c : kNamed) {
        if (c.value == colour)
            return c.name;
    }
    if (colour >= kSystemColourBase && colour < kSystemColourBase + kSystemNames.size())
        return kSystemNames[colour - kSystemColourBase];
    return '$' + QByteArray::number(colour, 16).toUpper().rightJustified(8, '0');
}

std::optional<ColourValue> parseColour(QByteArrayView text)
{
    for (const NamedColour& c : kNamed) {
        if (text.compare(c.name, Qt::CaseInsensitive) == 0)
            return c.value;
    }
    for (size_t i = 0; i < kSystemNames.size(); ++i) {
        if (text.compare(kSystemNames[i], Qt::CaseInsensitive) == 0)
            return kSystemColourBase + static_cast<ColourValue>(i);
    }
    qint32 value = 0;
    if (!tryToInt(text, value))
        return std::nullopt;
    return static_cast<ColourValue>(value);
}

ColourValue toColour(QByteArrayView text)
{
    if (const auto c = parseColour(text))
        return *c;
    throw ConversionError(text);
}

TextColour splitTextColour(QByteArrayView field)
{
    const qsizetype bar = field.indexOf('|');
    if (bar < 0)
        return {field.toByteArray(), kWhite};
    return {field.first(bar).toByteArray(), parseColour(field.sliced(bar + 1)).value_or(kWhite)};
}

QByteArray joinTextColour(QByteArrayView text, ColourValue colour)
{
    return text.toByteArray() + '|' + colourText(colour);
}

} // namespace protocol
