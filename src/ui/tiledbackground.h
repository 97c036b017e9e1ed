#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace ui {

// The background of a window: a colour with a picture tiled over it from the top left
// corner. Place it under the window's controls (they are its children) so they sit on the
// pattern. Without a picture only the colour shows; without a valid colour the parent's
// background shows through the picture's transparent parts.
class TiledBackground : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString pictureResource READ pictureResource WRITE setPictureResource)
    Q_PROPERTY(QColor colour READ colour WRITE setColour)

public:
    // The picture stored at `resource` (":/pictures/background.svg"), drawn once at its own
    // size and kept for every later caller; a null pixmap when there is no such picture.
    static QPixmap loadPicture(const QString& resource);

    explicit TiledBackground(QWidget* parent = nullptr);

    const QPixmap& picture() const { return picture_; }
    void setPicture(const QPixmap& picture);

    // Loads the tile from a resource (see loadPicture); a missing one leaves no picture.
    QString pictureResource() const { return resource_; }
    void setPictureResource(const QString& resource);

    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    QString resource_;
    QColor colour_;
};

} // namespace ui
