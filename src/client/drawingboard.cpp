#include "client/drawingboard.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace client {

DrawingBoard::DrawingBoard(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kWidth, kHeight);
    // A stroke is closed by the next movement over the board, button held or not.
    setMouseTracking(true);
}

void DrawingBoard::changed(const QRect& boardArea)
{
    if (!boardArea.isEmpty())
        update(toWidget(boardArea));
}

void DrawingBoard::penDown(protocol::ColourValue colour, int width, QPoint at)
{
    changed(m_board.penDown(colour, width, at));
}

void DrawingBoard::strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points)
{
    changed(m_board.strokeTo(colour, width, points));
}

void DrawingBoard::wipe()
{
    m_board.wipe();
    update();
}

void DrawingBoard::restore(const QImage& picture)
{
    m_board.restore(picture);
    update();
}

void DrawingBoard::writeCaption(const QString& text)
{
    changed(m_board.writeCaption(text, font()));
}

QPoint DrawingBoard::toBoard(QPointF widgetPoint) const
{
    // Every board pixel covers the same share of the widget; a screen pixel is taken at its
    // centre. Outside the widget, points go on in board pixels (a stroke pressed on the board
    // may be dragged beyond it).
    const double x = (widgetPoint.x() + 0.5) * kWidth / std::max(1, width());
    const double y = (widgetPoint.y() + 0.5) * kHeight / std::max(1, height());
    const auto bound = [](double v) {
        return static_cast<int>(
            std::clamp(std::floor(v), double(-kMaxCoordinate), double(kMaxCoordinate)));
    };
    return {bound(x), bound(y)};
}

QRect DrawingBoard::toWidget(const QRect& boardArea) const
{
    const auto scaleX = [this](int x) {
        return static_cast<int>(std::ceil(double(x) * width() / kWidth));
    };
    const auto scaleY = [this](int y) {
        return static_cast<int>(std::ceil(double(y) * height() / kHeight));
    };
    // One widget pixel to spare on every side: smooth scaling reaches past the area's edge.
    return QRect(QPoint(scaleX(boardArea.left()) - 1, scaleY(boardArea.top()) - 1),
                 QPoint(scaleX(boardArea.right() + 1) + 1, scaleY(boardArea.bottom() + 1) + 1));
}

void DrawingBoard::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT pressed(toBoard(event->position()), event->button());
}

void DrawingBoard::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT moved(toBoard(event->position()), event->buttons());
}

void DrawingBoard::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT released(toBoard(event->position()));
}

void DrawingBoard::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (size() == picture().size()) {
        painter.drawImage(event->rect(), picture(), event->rect());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(event->rect());
    painter.drawImage(rect(), picture());
}

} // namespace client
