#include "ui/layoutscaler.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLayout>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr double kSteps = 8;

int scaled(int value, double factor)
{
    return static_cast<int>(std::lround(value * factor));
}

// Whether the widgets inside `widget` are part of the design: those of plain containers and of
// widgets that say so. A text box's viewport or a spinner's arrows are its own business.
bool holdsDesign(const QWidget* widget)
{
    if (widget->layout())
        return false;
    const char* name = widget->metaObject()->className();
    return qstrcmp(name, "QWidget") == 0 || qstrcmp(name, "QFrame") == 0 ||
           widget->property(LayoutScaler::kScaleChildren).toBool();
}

void collect(QWidget* parent, QList<QWidget*>& into)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        into.append(widget);
        if (holdsDesign(widget))
            collect(widget, into);
    }
}

} // namespace

LayoutScaler::LayoutScaler(QWidget* container, QWidget* panel, QObject* parent)
    : QObject(parent), m_container(container), m_panel(panel), m_designSize(panel->size()),
      m_designCorner(panel->pos()), m_designFont(panel->font())
{
    container->installEventFilter(this);
}

bool LayoutScaler::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_container && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}

LayoutScaler::Design& LayoutScaler::designOf(QWidget* widget)
{
    auto found = m_designs.find(widget);
    const QRect current = widget->geometry();
    const auto last = m_placed.constFind(widget);
    const bool ownSize = widget->testAttribute(Qt::WA_SetFont) &&
                         (widget->font().resolveMask() & QFont::SizeResolved) != 0;
    if (found != m_designs.end() && ownSize &&
        std::abs(widget->font().pointSizeF() - found->pointSize * m_factor) > 0.01)
        found->pointSize = widget->font().pointSizeF() / m_factor; // the program chose a size
    if (found != m_designs.end() && (last == m_placed.cend() || *last == current))
        return *found;
    // New, or moved by the program since it was last placed: its design follows from where
    // it is now.
    Design design;
    const double f = m_factor;
    design.geometry = QRect(QPoint(scaled(current.left(), 1 / f), scaled(current.top(), 1 / f)),
                            QSize(scaled(current.width(), 1 / f), scaled(current.height(), 1 / f)));
    if (found != m_designs.end()) {
        design.pointSize = found->pointSize;
        design.iconSize = found->iconSize;
    } else {
        if (ownSize)
            design.pointSize = widget->font().pointSizeF() / f;
        if (const auto* button = qobject_cast<QAbstractButton*>(widget))
            design.iconSize = button->iconSize() / f;
    }
    return m_designs[widget] = design;
}

void LayoutScaler::place(QWidget* widget, const Design& design, QPoint offset)
{
    const double f = m_factor;
    const QRect& g = design.geometry;
    // Edges are scaled, not sizes, so neighbours that touched still touch.
    const QPoint topLeft(scaled(g.left(), f), scaled(g.top(), f));
    const QPoint end(scaled(g.left() + g.width(), f), scaled(g.top() + g.height(), f));
    const QRect target(topLeft + offset, end + offset - QPoint(1, 1));
    if (design.pointSize > 0) {
        QFont font = widget->font();
        font.setPointSizeF(design.pointSize * f);
        widget->setFont(font);
    }
    if (design.iconSize.isValid())
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setIconSize(design.iconSize * f);
    widget->setGeometry(target);
    m_placed[widget] = widget->geometry();
}

void LayoutScaler::apply()
{
    const QSize room = m_container->size();
    // In eighths: a window a few pixels larger than its design (a frame, a menu bar of
    // another height) stays pixel for pixel as designed, and the board keeps simple ratios.
    const double fit = std::min(double(room.width()) / m_designSize.width(),
                                double(room.height()) / m_designSize.height());
    const double factor = std::max(1.0, std::floor(fit * kSteps) / kSteps);
    // Everything is taken at its design before anything moves.
    QList<QWidget*> widgets;
    collect(m_panel, widgets);
    QHash<QWidget*, Design> designs;
    for (QWidget* w : widgets)
        designs.insert(w, designOf(w));
    for (auto it = m_designs.begin(); it != m_designs.end();)
        it = designs.contains(it.key()) ? std::next(it) : m_designs.erase(it);

    const bool changed = factor != m_factor;
    m_factor = factor;
    QFont font = m_designFont;
    font.setPointSizeF(m_designFont.pointSizeF() * factor);
    m_panel->setFont(font);
    const QSize panelSize(scaled(m_designSize.width(), factor),
                          scaled(m_designSize.height(), factor));
    // As designed, the panel sits where it was put; grown, it is centred in the window.
    QPoint corner = m_designCorner;
    if (factor > 1.0)
        corner = QPoint(std::max(0, (room.width() - panelSize.width()) / 2),
                        std::max(0, (room.height() - panelSize.height()) / 2));
    m_panel->setGeometry(QRect(corner, panelSize));
    for (QWidget* w : widgets)
        place(w, designs.value(w), {});
    if (changed)
        Q_EMIT factorChanged(factor);
}

} // namespace ui
