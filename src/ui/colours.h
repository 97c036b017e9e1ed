#pragma once

#include "protocol/colour.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace ui {

// The game's own light palette, the same on every desktop: black text, white fields, grey
// buttons. The windows draw with it rather than the desktop theme's, so a dark theme does
// not put light text on the khaki background, and every role is set, so nothing of the
// desktop's palette shows through.
QPalette gamePalette();
// The game's own font, 8 points of DejaVu Sans: the windows' fixed layouts are measured for
// it, so a larger desktop font does not cut their labels short.
QFont gameFont();

// Colours travel with red in the low byte (0x00BBGGRR, see protocol/colour.h); these
// convert to and from Qt's colours. The desktop's system colours (from 0x80000000) map
// onto gamePalette(), so every window shows them alike; clNone and other values without a
// colour give an invalid QColor.
QColor toQColor(protocol::ColourValue colour);
// An invalid QColor gives clNone.
protocol::ColourValue fromQColor(const QColor& colour);

} // namespace ui
