#pragma once

#include <QPushButton>

namespace ui {

// A push button drawn flat: a thin border round a plain face that lightens under the
// mouse and darkens while pressed. The face takes the palette's Button colour, so a window
// can tint its buttons through the palette.
//
// The tag is a number several buttons sharing one click handler tell apart by (the help
// window's page buttons carry their page number).
class FlatButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int tag READ tag WRITE setTag)

public:
    explicit FlatButton(QWidget* parent = nullptr);
    explicit FlatButton(const QString& text, QWidget* parent = nullptr);

    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int tag_ = 0;
};

} // namespace ui
