#include "ui/colours.h"

#include <QPalette>

#include <utility>

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

QPalette gamePalette()
{
    static const QPalette palette = [] {
        const QColor face(212, 208, 200);
        const QColor grey(128, 128, 128);
        const std::pair<QPalette::ColorRole, QColor> roles[] = {
            {QPalette::WindowText, Qt::black},
            {QPalette::Button, face},
            {QPalette::Light, Qt::white},
            {QPalette::Midlight, face},
            {QPalette::Dark, grey},
            {QPalette::Mid, grey},
            {QPalette::Text, Qt::black},
            {QPalette::BrightText, Qt::white},
            {QPalette::ButtonText, Qt::black},
            {QPalette::Base, Qt::white},
            {QPalette::Window, face},
            {QPalette::Shadow, QColor(64, 64, 64)},
            {QPalette::Highlight, QColor(10, 36, 106)},
            {QPalette::HighlightedText, Qt::white},
            {QPalette::Link, Qt::blue},
            {QPalette::LinkVisited, QColor(128, 0, 128)},
            {QPalette::AlternateBase, QColor(240, 240, 240)},
            {QPalette::ToolTipBase, QColor(255, 255, 225)},
            {QPalette::ToolTipText, Qt::black},
            {QPalette::PlaceholderText, grey},
        };
        QPalette p;
        for (const auto& [role, colour] : roles) {
            // setColor marks each role as set, for every colour group.
            p.setColor(role, colour);
        }
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, role, grey);
        return p;
    }();
    return palette;
}

QFont gameFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

QColor toQColor(protocol::ColourValue colour)
{
    if (colour >= protocol::kSystemColourBase) {
        const auto index = colour - protocol::kSystemColourBase;
        if (index < std::size(kSystemRoles))
            return gamePalette().color(kSystemRoles[index]);
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
