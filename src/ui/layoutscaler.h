#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// Grows a window drawn at fixed positions with the space it is given. `panel` and everything
// in it keep their designed geometry, fonts and icon sizes multiplied by one factor: the
// largest in eighths at which the panel still fits its container, never below 1 (the design
// size is the smallest the window gets). Grown, the panel is centred in the window; as
// designed, it stays exactly where it was put.
//
// A widget's designed geometry is what it had while the factor was 1; a widget made or moved
// while the window is larger is taken at its current geometry divided by the factor, and a
// font size the program sets (the chat's text size) likewise.
// Only the insides of plain containers (QWidget, QFrame) are scaled, and of widgets with the
// property kScaleChildren set to true; a layout's widgets are left to the layout.
class LayoutScaler : public QObject {
    Q_OBJECT
public:
    static constexpr char kScaleChildren[] = "scaleChildren";

    LayoutScaler(QWidget* container, QWidget* panel, QObject* parent = nullptr);

    double factor() const { return m_factor; }

Q_SIGNALS:
    void factorChanged(double factor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Design {
        QRect geometry;
        double pointSize = 0; // 0 when the widget's font size is inherited
        QSize iconSize;
    };
    void apply();
    Design& designOf(QWidget* widget);
    void place(QWidget* widget, const Design& design, QPoint offset);

    QWidget* m_container;
    QWidget* m_panel;
    QSize m_designSize;
    QPoint m_designCorner;
    QFont m_designFont;
    double m_factor = 1.0;
    QHash<QWidget*, Design> m_designs;
    QHash<QWidget*, QRect> m_placed; // the geometry last given, to tell the program's moves
};

} // namespace ui
