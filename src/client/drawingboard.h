#pragma once

#include "client/boardpicture.h"

#include <QWidget>

namespace client {

// The board on the screen: it shows its BoardPicture and tells the mouse in board pixels.
// The window may make it larger than the picture's 533 by 369 (a maximised window scales its
// whole layout); the picture is then shown scaled, and the mouse is mapped back, so strokes,
// the wire and snapshots keep board coordinates whatever the board's size on the screen.
class DrawingBoard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = BoardPicture::kWidth;
    static constexpr int kHeight = BoardPicture::kHeight;
    static constexpr int kMaxPenWidth = BoardPicture::kMaxPenWidth;
    static constexpr int kMaxCoordinate = BoardPicture::kMaxCoordinate;

    explicit DrawingBoard(QWidget* parent = nullptr);

    void penDown(protocol::ColourValue colour, int width, QPoint at);
    void strokeTo(protocol::ColourValue colour, int width, const QList<QPoint>& points);
    void wipe();
    // Shows `picture` (of the board's size) in place of the drawing, e.g. after a replay.
    void restore(const QImage& picture);
    void writeCaption(const QString& text);

    const QImage& picture() const { return m_board.picture(); }
    QSize sizeHint() const override { return {kWidth, kHeight}; }

    // The board pixel under a point of the widget, and the widget area a board area covers.
    QPoint toBoard(QPointF widgetPoint) const;
    QRect toWidget(const QRect& boardArea) const;

Q_SIGNALS:
    // The mouse on the board, in board pixels; movements are told with or without a button
    // held, and also outside the board while a button pressed on it is held.
    void pressed(QPoint at, Qt::MouseButton button);
    void moved(QPoint at, Qt::MouseButtons buttons);
    void released(QPoint at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void changed(const QRect& boardArea);

    BoardPicture m_board;
};

} // namespace client
