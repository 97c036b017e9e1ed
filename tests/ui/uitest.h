#pragma once

// What the shared widgets' tests share: solid pictures and the colour a label shows.

#include "ui/animatedimage.h"
#include "ui/colourbutton.h"
#include "ui/colours.h"
#include "ui/flatbutton.h"
#include "ui/tiledbackground.h"
#include "ui/updown.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace uitest {

using protocol::ColourValue;
using protocol::rgbColour;

inline QPixmap solid(const QColor& colour, int size = 4)
{
    QPixmap pixmap(size, size);
    pixmap.fill(colour);
    return pixmap;
}

inline QColor shownColour(const QLabel& label)
{
    return label.pixmap().toImage().pixelColor(0, 0);
}

} // namespace uitest
