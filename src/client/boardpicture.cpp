#include "client/boardpicture.h"

#include "ui/colours.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

namespace client {

namespace {

int boundedWidth(int width)
{
    return std::clamp(width, 0, BoardPicture::kMaxPenWidth);
}

QPoint bounded(QPoint p)
{
    const int m = BoardPicture::kMaxCoordinate;
    return {std::clamp(p.x(), -m, m), std::clamp(p.y(), -m, m)};
}

// A round-capped line of a pen's width between two pixel centres, and how much of every
// pixel it covers: all of it up to half a pixel inside its edge, nothing from half a pixel
// outside, a linear ramp between. Width 0 is the thinnest line there is, one pixel wide.
// Coverage depends only on the distance to the segment, reckoned in whole numbers up to
// one last division: the direction is reduced to its smallest whole step, so lines along
// one straight (a stroke drawn in two pieces) give every pixel exactly the coverage of the
// line drawn in one piece.
class Capsule {
public:
    Capsule(QPoint from, QPoint to, int width)
        : m_from(from), m_outer(std::max(width, 1) / 2.0 + 0.5), m_inner(m_outer - 1.0)
    {
        const qint64 dx = to.x() - from.x();
        const qint64 dy = to.y() - from.y();
        m_steps = std::gcd(dx, dy);
        if (m_steps != 0) {
            m_stepX = dx / m_steps;
            m_stepY = dy / m_steps;
        }
        m_stepLength2 = m_stepX * m_stepX + m_stepY * m_stepY;
    }

    // The board rows the line may reach: first > last when none.
    std::pair<int, int> rows() const
    {
        const qint64 reach = static_cast<qint64>(std::ceil(m_outer)) + 1;
        const qint64 endY = m_from.y() + m_steps * m_stepY;
        const qint64 top = std::min<qint64>(m_from.y(), endY) - reach;
        const qint64 bottom = std::max<qint64>(m_from.y(), endY) + reach;
        return {static_cast<int>(std::clamp<qint64>(top, 0, BoardPicture::kHeight)),
                static_cast<int>(std::clamp<qint64>(bottom, -1, BoardPicture::kHeight - 1))};
    }

    // The board columns of row `y` the line may reach: first > last when none. The line's
    // part of a row is one run (a capsule is convex), the hull of what its two end discs
    // and its body give; a pixel to spare either side leaves the exact edge to coverage().
    std::pair<int, int> columns(int y) const
    {
        constexpr double kFar = std::numeric_limits<double>::infinity();
        const double r = m_outer;
        const auto vy = static_cast<double>(y - m_from.y());
        double low = kFar;
        double high = -kFar;
        const auto hull = [&](double a, double b) {
            if (a <= b) {
                low = std::min(low, a);
                high = std::max(high, b);
            }
        };
        const auto disc = [&](double cx, double cy) {
            const double h = vy - cy;
            if (std::abs(h) <= r) {
                const double half = std::sqrt(r * r - h * h);
                hull(cx - half, cx + half);
            }
        };
        const auto sx = static_cast<double>(m_stepX);
        const auto sy = static_cast<double>(m_stepY);
        const auto steps = static_cast<double>(m_steps);
        const auto length2 = static_cast<double>(m_stepLength2);
        disc(0.0, 0.0);
        disc(steps * sx, steps * sy);
        if (m_steps != 0) {
            // The body: near the straight, |vx*sy - vy*sx| <= r*|s|, and between the ends,
            // 0 <= vx*sx + vy*sy <= steps*|s|^2; each keeps vx between two bounds.
            double a = -kFar;
            double b = kFar;
            const auto keep = [&](double factor, double least, double most) {
                if (factor == 0.0) {
                    if (least > 0.0 || most < 0.0)
                        b = -kFar; // no vx at all
                    return;
                }
                a = std::max(a, std::min(least / factor, most / factor));
                b = std::min(b, std::max(least / factor, most / factor));
            };
            const double k = r * std::sqrt(length2);
            keep(sy, vy * sx - k, vy * sx + k);
            keep(sx, -vy * sy, steps * length2 - vy * sy);
            hull(a, b);
        }
        const double x0 = m_from.x();
        const double first = std::max(std::floor(low) - 1.0 + x0, 0.0);
        const double last = std::min(std::ceil(high) + 1.0 + x0, BoardPicture::kWidth - 1.0);
        if (!(first <= last))
            return {1, 0};
        return {static_cast<int>(first), static_cast<int>(last)};
    }

    // How much of pixel (x, y) the line covers, 0 to 255.
    quint8 coverage(int x, int y) const
    {
        const qint64 vx = x - m_from.x();
        const qint64 vy = y - m_from.y();
        const qint64 along = vx * m_stepX + vy * m_stepY;
        double distance2 = 0.0;
        if (m_steps == 0 || along <= 0) {
            distance2 = static_cast<double>(vx * vx + vy * vy);
        } else if (along >= m_steps * m_stepLength2) {
            const qint64 ex = vx - m_steps * m_stepX;
            const qint64 ey = vy - m_steps * m_stepY;
            distance2 = static_cast<double>(ex * ex + ey * ey);
        } else {
            const auto across = static_cast<double>(vx * m_stepY - vy * m_stepX);
            distance2 = across * across / static_cast<double>(m_stepLength2);
        }
        if (distance2 >= m_outer * m_outer)
            return 0;
        if (m_inner >= 0.0 && distance2 <= m_inner * m_inner)
            return 255;
        const double covered = std::clamp(m_outer - std::sqrt(distance2), 0.0, 1.0);
        return static_cast<quint8>(std::lround(covered * 255.0));
    }

private:
    QPoint m_from;
    double m_outer; // the radius where coverage ends
    double m_inner; // the radius up to which a pixel is covered whole
    qint64 m_steps = 0;
    qint64 m_stepX = 0;
    qint64 m_stepY = 0;
    qint64 m_stepLength2 = 0;
};

// The pen's colour over what was there, by the coverage.
QRgb mixed(QRgb under, QRgb pen, int coverage)
{
    const auto mix = [coverage](int a, int b) {
        return (a * (255 - coverage) + b * coverage + 127) / 255;
    };
    return qRgb(mix(qRed(under), qRed(pen)), mix(qGreen(under), qGreen(pen)),
                mix(qBlue(under), qBlue(pen)));
}

constexpr size_t kPixels = static_cast<size_t>(BoardPicture::kWidth) * BoardPicture::kHeight;

} // namespace

BoardPicture::BoardPicture()
    : m_picture(kWidth, kHeight, QImage::Format_RGB32), m_coverage(kPixels, 0), m_before(kPixels, 0)
{
    m_picture.fill(Qt::white);
}

void BoardPicture::continueStroke(protocol::ColourValue colour, int width)
{
    // The protocol's colours are opaque.
    const QRgb pen = ui::toQColor(colour).rgb() | 0xFF000000u;
    if (m_inStroke && pen == m_strokeColour && width == m_strokeWidth)
        return;
    endStroke();
    m_inStroke = true;
    m_strokeColour = pen;
    m_strokeWidth = width;
}

void BoardPicture::endStroke()
{
    if (!m_inStroke)
        return;
    m_inStroke = false;
    for (int y = m_strokeArea.top(); y <= m_strokeArea.bottom(); ++y) {
        quint8* row = m_coverage.data() + static_cast<size_t>(y) * kWidth;
        std::fill(row + m_strokeArea.left(), row + m_strokeArea.right() + 1, quint8{0});
    }
    m_strokeArea = QRect();
}

QRect BoardPicture::paintLine(QPoint from, QPoint to)
{
    const Capsule line(from, to, m_strokeWidth);
    const auto [top, bottom] = line.rows();
    QRect dirty;
    if (top > bottom)
        return dirty;
    auto* pixels = reinterpret_cast<QRgb*>(m_picture.bits());
    const qsizetype stride = m_picture.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (int y = top; y <= bottom; ++y) {
        const auto [first, last] = line.columns(y);
        if (first > last)
            continue;
        const size_t rowStart = static_cast<size_t>(y) * kWidth;
        QRgb* row = pixels + y * stride;
        for (int x = first; x <= last; ++x) {
            const quint8 c = line.coverage(x, y);
            quint8& kept = m_coverage[rowStart + static_cast<size_t>(x)];
            if (c <= kept)
                continue;
            QRgb& before = m_before[rowStart + static_cast<size_t>(x)];
            if (kept == 0)
                before = row[x];
            kept = c;
            row[x] = mixed(before, m_strokeColour, c);
        }
        dirty |= QRect(first, y, last - first + 1, 1);
    }
    m_strokeArea |= dirty;
    return dirty;
}

QRect BoardPicture::penDown(protocol::ColourValue colour, int width, QPoint at)
{
    endStroke();
    continueStroke(colour, boundedWidth(width));
    m_position = bounded(at);
    return paintLine(m_position, m_position);
}

QRect BoardPicture::strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points)
{
    if (points.isEmpty())
        return {};
    continueStroke(colour, boundedWidth(width));
    QRect dirty;
    for (const QPoint& received : points) {
        const QPoint p = bounded(received);
        dirty |= paintLine(m_position, p);
        m_position = p;
    }
    return dirty;
}

void BoardPicture::wipe()
{
    endStroke();
    m_picture.fill(Qt::white);
}

void BoardPicture::restore(const QImage& picture)
{
    endStroke();
    if (picture.size() == m_picture.size())
        m_picture = picture.convertToFormat(QImage::Format_RGB32);
}

QRect BoardPicture::writeCaption(const QString& text, QFont font)
{
    // The caption goes over the stroke: a stroke going on after it starts again from here.
    endStroke();
    // Size 12 at the desktop's 96 dots per inch, fixed in pixels so that every window
    // writes the same caption whatever its screen.
    font.setPixelSize(16);
    const QFontMetrics metrics(font);
    const QRect box(QPoint(4, 4), QSize(metrics.horizontalAdvance(text), metrics.height()));
    QPainter painter(&m_picture);
    painter.fillRect(box, Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box.left(), box.top() + metrics.ascent(), text);
    return box;
}

} // namespace client
