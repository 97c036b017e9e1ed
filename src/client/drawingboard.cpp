#include "client/drawingboard.h"

#include "ui/colours.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace client {

namespace {

int boundedWidth(int width)
{
    return std::clamp(width, 0, DrawingBoard::kMaxPenWidth);
}

QPoint bounded(QPoint p)
{
    const int m = DrawingBoard::kMaxCoordinate;
    return {std::clamp(p.x(), -m, m), std::clamp(p.y(), -m, m)};
}

// Cuts a line to the part inside `area` (Liang-Barsky); false when none of it is inside.
// A line along the same points draws the same pixels, and the raster engine's cost grows
// with a line's whole length, so only the visible part is handed to it.
bool clip(QLineF& line, const QRectF& area)
{
    const double dx = line.dx();
    const double dy = line.dy();
    double from = 0.0;
    double to = 1.0;
    const auto edge = [&](double p, double q) {
        if (p == 0.0)
            return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > to)
                return false;
            from = std::max(from, r);
        } else {
            if (r < from)
                return false;
            to = std::min(to, r);
        }
        return true;
    };
    if (!edge(-dx, line.x1() - area.left()) || !edge(dx, area.right() - line.x1()) ||
        !edge(-dy, line.y1() - area.top()) || !edge(dy, area.bottom() - line.y1()))
        return false;
    const QPointF start = line.p1();
    line = QLineF(start + QPointF(dx, dy) * from, start + QPointF(dx, dy) * to);
    return true;
}

// Draws a line of the pen's width, leaving out what lies beyond the board.
void drawClipped(QPainter& painter, QPoint from, QPoint to, int width)
{
    // Past this margin not even a round cap's antialiased edge reaches the board.
    const double margin = width / 2.0 + 2.0;
    const QRectF area(-margin, -margin, DrawingBoard::kWidth + 2 * margin,
                      DrawingBoard::kHeight + 2 * margin);
    QLineF line(from, to);
    if (from == to) {
        // A line of no length is a dot of the pen's width (Qt draws nothing for it).
        if (area.contains(line.p1()))
            painter.drawPoint(from);
    } else if (area.contains(line.p1()) && area.contains(line.p2())) {
        painter.drawLine(from, to); // the common case: the end points as given
    } else if (clip(line, area)) {
        painter.drawLine(line);
    }
}

QPen strokePen(protocol::ColourValue colour, int width)
{
    // Width 0 is the thinnest line there is; round caps and joins make strokes smooth.
    return QPen(ui::toQColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

DrawingBoard::DrawingBoard(QWidget* parent)
    : QWidget(parent), m_picture(kWidth, kHeight, QImage::Format_RGB32)
{
    m_picture.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
    // A stroke is closed by the next movement over the board, button held or not.
    setMouseTracking(true);
}

void DrawingBoard::penDown(protocol::ColourValue colour, int width, QPoint at)
{
    width = boundedWidth(width);
    at = bounded(at);
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(strokePen(colour, width));
    drawClipped(painter, at, at, width);
    m_position = at;
    const int margin = width / 2 + 2;
    update(QRect(at, at).adjusted(-margin, -margin, margin, margin));
}

void DrawingBoard::strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points)
{
    if (points.isEmpty())
        return;
    width = boundedWidth(width);
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(strokePen(colour, width));
    QRect dirty(m_position, m_position);
    for (const QPoint& received : points) {
        const QPoint p = bounded(received);
        drawClipped(painter, m_position, p, width);
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

void DrawingBoard::writeCaption(const QString& text)
{
    // Size 12 at the desktop's 96 dots per inch, fixed in pixels so that every window
    // writes the same caption whatever its screen.
    QFont font = this->font();
    font.setPixelSize(16);
    const QFontMetrics metrics(font);
    const QRect box(QPoint(4, 4), QSize(metrics.horizontalAdvance(text), metrics.height()));
    QPainter painter(&m_picture);
    painter.fillRect(box, Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box.left(), box.top() + metrics.ascent(), text);
    update(box);
}

void DrawingBoard::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT pressed(event->position().toPoint(), event->button());
}

void DrawingBoard::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT moved(event->position().toPoint(), event->buttons());
}

void DrawingBoard::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT released(event->position().toPoint());
}

void DrawingBoard::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_picture, event->rect());
}

} // namespace client
