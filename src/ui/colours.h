#pragma once

#include "protocol/colour.h"

#include <QColor>

namespace ui {

// Colours travel with red in the low byte (0x00BBGGRR, see protocol/colour.h); these
// convert to and from Qt's colours. The desktop's system colours (from 0x80000000) map
// onto the application palette; clNone and other values without a colour give an invalid
// QColor.
QColor toQColor(protocol::ColourValue colour);
// An invalid QColor gives clNone.
protocol::ColourValue fromQColor(const QColor& colour);

} // namespace ui
