#pragma once

#include "protocol/colour.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace client {

// Colours travel as 0x00BBGGRR; values from 0x80000000 name the desktop's colours, which
// map onto the application palette here.
inline QColor toQColor(protocol::ColourValue value)
{
    if (value >= protocol::kSystemColourBase) {
        const QPalette palette = QGuiApplication::palette();
        switch (value - protocol::kSystemColourBase) {
        case 5: // clWindow
            return palette.color(QPalette::Base);
        case 8: // clWindowText
        case 7: // clMenuText
            return palette.color(QPalette::Text);
        case 13: // clHighlight
            return palette.color(QPalette::Highlight);
        case 14: // clHighlightText
            return palette.color(QPalette::HighlightedText);
        case 15: // clBtnFace
            return palette.color(QPalette::Button);
        case 18: // clBtnText
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

inline protocol::ColourValue fromQColor(const QColor& c)
{
    return protocol::rgbColour(c.red(), c.green(), c.blue());
}

} // namespace client
