#include "ui/flatbutton.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace ui {

namespace {

constexpr int kPaddingX = 12;
constexpr int kPaddingY = 5;

} // namespace

FlatButton::FlatButton(QWidget* parent) : QPushButton(parent)
{
    // Enter and leave repaint the button, so the hover face follows the mouse.
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

FlatButton::FlatButton(const QString& text, QWidget* parent) : FlatButton(parent)
{
    setText(text);
}

QSize FlatButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    QSize text = metrics.size(Qt::TextShowMnemonic, this->text());
    if (!icon().isNull())
        text.rwidth() += iconSize().width() + 4;
    return {text.width() + 2 * kPaddingX,
            std::max(text.height(), iconSize().height()) + 2 * kPaddingY};
}

QSize FlatButton::minimumSizeHint() const
{
    return sizeHint();
}

void FlatButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const bool pressed = isDown() || isChecked();

    QColor face = colours.color(QPalette::Button);
    if (!isEnabled())
        face = face.lighter(105);
    else if (pressed)
        face = face.darker(118);
    else if (underMouse())
        face = face.lighter(112);

    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(face);
    QColor border = colours.color(QPalette::Dark);
    if (hasFocus() || (underMouse() && isEnabled()))
        border = colours.color(QPalette::Shadow);
    painter.setPen(QPen(border, 1.0));
    painter.drawRoundedRect(frame, 2.0, 2.0);
    if (pressed) {
        // A faint inner shadow along the top edge reads as "pushed in".
        painter.setPen(QPen(face.darker(125), 1.0));
        painter.drawLine(QPointF(frame.left() + 2, frame.top() + 1.0),
                         QPointF(frame.right() - 2, frame.top() + 1.0));
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    QRect content = rect().adjusted(4, 2, -4, -2);
    if (pressed)
        content.translate(1, 1);
    if (!icon().isNull()) {
        const QSize size = iconSize();
        const int textWidth = fontMetrics().size(Qt::TextShowMnemonic, text()).width();
        const int total = size.width() + (text().isEmpty() ? 0 : 4 + textWidth);
        const int left = content.left() + (content.width() - total) / 2;
        const QRect iconArea(left, content.top() + (content.height() - size.height()) / 2,
                             size.width(), size.height());
        icon().paint(&painter, iconArea, Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled);
        content.setLeft(iconArea.right() + 5);
        style()->drawItemText(&painter, content,
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, colours,
                              isEnabled(), text(), QPalette::ButtonText);
        return;
    }
    style()->drawItemText(&painter, content, Qt::AlignCenter | Qt::TextShowMnemonic, colours,
                          isEnabled(), text(), QPalette::ButtonText);
}

} // namespace ui
