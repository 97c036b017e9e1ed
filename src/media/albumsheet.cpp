#include "media/albumsheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace media {

namespace {

constexpr int kColumns = 4;
constexpr QSize kThumbnail(266, 184); // half a 533x369 board
constexpr int kMargin = 24;
constexpr int kColumnGap = 16;
constexpr int kRowGap = 20;
constexpr int kTitleHeight = 32;
constexpr int kTitleGap = 16;
constexpr int kCaptionGap = 6; // between a thumbnail and its first caption line
constexpr int kCaptionLineHeight = 17;
constexpr int kPageWidth =
    2 * kMargin + kColumns * kThumbnail.width() + (kColumns - 1) * kColumnGap;

QFont pixelFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A caption is one line per entry of captionLines: line breaks or tabs inside one would be
// drawn as boxes or break the layout.
QString singleLine(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return text;
}

// The height of each row of the grid: its thumbnails and its longest caption.
std::vector<int> rowHeights(const std::vector<SheetEntry>& entries)
{
    std::vector<int> heights((entries.size() + kColumns - 1) / kColumns, 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto lines = static_cast<int>(entries[i].captionLines.size());
        const int height =
            kThumbnail.height() + (lines > 0 ? kCaptionGap : 0) + lines * kCaptionLineHeight;
        heights[i / kColumns] = std::max(heights[i / kColumns], height);
    }
    return heights;
}

} // namespace

QImage composeContactSheet(const QString& title, const std::vector<SheetEntry>& entries)
{
    const std::vector<int> rows = rowHeights(entries);
    int height = kMargin + kTitleHeight + kMargin;
    for (std::size_t row = 0; row < rows.size(); ++row)
        height += (row == 0 ? kTitleGap : kRowGap) + rows[row];

    QImage page(kPageWidth, height, QImage::Format_RGB32);
    if (page.isNull())
        return page;
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::black);

    const QFont titleFont = pixelFont(22, true);
    painter.setFont(titleFont);
    const int textWidth = kPageWidth - 2 * kMargin;
    painter.drawText(
        QRect(kMargin, kMargin, textWidth, kTitleHeight),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetrics(titleFont).elidedText(singleLine(title), Qt::ElideRight, textWidth));

    const QFont captionFont = pixelFont(13, false);
    const QFontMetrics captionMetrics(captionFont);
    painter.setFont(captionFont);
    int top = kMargin + kTitleHeight + kTitleGap;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int column = static_cast<int>(i % kColumns);
        if (i > 0 && column == 0)
            top += rows[i / kColumns - 1] + kRowGap;
        const QRect cell(QPoint(kMargin + column * (kThumbnail.width() + kColumnGap), top),
                         kThumbnail);
        const QImage& picture = entries[i].picture;
        if (!picture.isNull()) {
            const QSize fitted = picture.size().scaled(kThumbnail, Qt::KeepAspectRatio);
            QRect target(QPoint(), fitted);
            target.moveCenter(cell.center());
            painter.drawImage(target, picture);
        }
        // A white board on a white page needs an edge.
        painter.setPen(QColor(190, 190, 190));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        int lineTop = cell.bottom() + 1 + kCaptionGap;
        for (const QString& line : entries[i].captionLines) {
            painter.drawText(
                QRect(cell.left(), lineTop, cell.width(), kCaptionLineHeight),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                captionMetrics.elidedText(singleLine(line), Qt::ElideRight, cell.width()));
            lineTop += kCaptionLineHeight;
        }
    }
    return page;
}

} // namespace media
