#include "ui/pictures.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace ui {

QPixmap picture(const QString& name, QSize size)
{
    const QString key =
        QStringLiteral("quillon:%1:%2x%3").arg(name).arg(size.width()).arg(size.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace ui
