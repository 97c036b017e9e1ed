#include "ui/colours.h"

#include <QGuiApplication>
#include <QPalette>

namespace ui {

namespace {

// The palette roles that stand in for the desktop's colours, in system-colour order
// (clScrollBar, clBackground, clActiveCaption, ...).
constexpr QPalette::ColorRole kSystemRoles[] = {
    QPalette::Button,
    QPalette::Window,
    QPalette::Highlight,
    QPalette::Mid,
    QPalette::Window,
    QPalette::Base,
    QPalette::Shadow,
    QPalette::WindowText,
    QPalette::Text,
    QPalette::HighlightedText,
    QPalette::Mid,
    QPalette::Midlight,
    QPalette::Dark,
    QPalette::Highlight,
    QPalette::HighlightedText,
    QPalette::Button,
    QPalette::Dark,
    QPalette::PlaceholderText,
    QPalette::ButtonText,
    QPalette::WindowText,
    QPalette::Light,
    QPalette::Shadow,
    QPalette::Midlight,
    QPalette::ToolTipText,
    QPalette::ToolTipBase,
};

} // namespace

QColor toQColor(protocol::ColourValue colour)
{
    if (colour >= protocol::kSystemColourBase) {
        const auto index = colour - protocol::kSystemColourBase;
        if (index < std::size(kSystemRoles))
            return QGuiApplication::palette().color(kSystemRoles[index]);
        return {};
    }
    if ((colour & 0xFF000000u) != 0)
        return {}; // clNone and the like
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

protocol::ColourValue fromQColor(const QColor& colour)
{
    if (!colour.isValid())
        return protocol::kNone;
    const QColor rgb = colour.toRgb();
    return protocol::rgbColour(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace ui
