#include "client/drawingboard.h"

#include "ui/colours.h"

#include <QPaintEvent>
#include <QPainter>

namespace client {

namespace {

QPen strokePen(protocol::ColourValue colour, int width)
{
    // Width 0 is the thinnest line there is; round caps and joins make strokes smooth.
    return QPen(ui::toQColor(colour), std::max(0, width), Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin);
}

} // namespace

DrawingBoard::DrawingBoard(QWidget* parent)
    : QWidget(parent), m_picture(kWidth, kHeight, QImage::Format_RGB32)
{
    m_picture.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
}

void DrawingBoard::penDown(protocol::ColourValue colour, int width, QPoint at)
{
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(strokePen(colour, width));
    painter.drawLine(at, at);
    m_position = at;
    const int margin = width / 2 + 2;
    update(QRect(at, at).adjusted(-margin, -margin, margin, margin));
}

void DrawingBoard::strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points)
{
    if (points.isEmpty())
        return;
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(strokePen(colour, width));
    QRect dirty(m_position, m_position);
    for (const QPoint& p : points) {
        painter.drawLine(m_position, p);
        m_position = p;
        dirty |= QRect(p, p);
    }
    const int margin = width / 2 + 2;
    update(dirty.normalized().adjusted(-margin, -margin, margin, margin));
}

void DrawingBoard::wipe()
{
    m_picture.fill(Qt::white);
    update();
}

void DrawingBoard::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_picture, event->rect());
}

} // namespace client
