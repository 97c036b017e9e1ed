#include "ui/tiledbackground.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>

namespace ui {

QPixmap TiledBackground::loadPicture(const QString& resource)
{
    QPixmap picture;
    if (QPixmapCache::find(resource, &picture))
        return picture;
    // Checked first, so a missing picture shows nothing without a warning.
    if (!QFile::exists(resource) || !picture.load(resource))
        return {};
    QPixmapCache::insert(resource, picture);
    return picture;
}

TiledBackground::TiledBackground(QWidget* parent) : QWidget(parent) {}

void TiledBackground::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void TiledBackground::setPictureResource(const QString& resource)
{
    resource_ = resource;
    setPicture(loadPicture(resource));
}

void TiledBackground::setColour(const QColor& colour)
{
    colour_ = colour;
    update();
}

void TiledBackground::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (colour_.isValid())
        painter.fillRect(event->rect(), colour_);
    if (!picture_.isNull())
        painter.drawTiledPixmap(rect(), picture_);
}

} // namespace ui
