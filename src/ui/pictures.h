#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace ui {

// A picture of the program's own, rendered at `size` from ":/pictures/<name>.svg".
// A missing picture gives an empty, transparent pixmap.
QPixmap picture(const QString& name, QSize size);

} // namespace ui
