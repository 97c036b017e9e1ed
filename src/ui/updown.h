#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace ui {

// A pair of small arrow buttons that step a whole number between a minimum and a maximum
// and write it, as decimal text, into a buddy edit beside them. Steps stop at the bounds:
// at the maximum a further step up leaves the value as it is (no wrapping round), and a
// step that would pass a bound lands on it. The Up and Down keys in the buddy step too.
// Make the buddy read-only when the arrows should be the only way to change the value; in
// an editable buddy a typed number becomes the value the next step starts from (the text
// stays as typed until then).
//
// The buttons are named "up" and "down".
class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int singleStep READ singleStep WRITE setSingleStep)
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)

public:
    explicit UpDown(QWidget* parent = nullptr);

    // The buddy's text becomes the current value.
    void setBuddy(QLineEdit* buddy);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int singleStep() const { return step_; }
    int value() const { return value_; }

    // Raising the minimum above the maximum (or the reverse) moves the other bound along;
    // the value is kept inside the range.
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setRange(int minimum, int maximum);
    void setSingleStep(int step);
    void setValue(int value);

    void stepUp();
    void stepDown();

    QSize sizeHint() const override;

Q_SIGNALS:
    void valueChanged(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void takeTypedValue(const QString& text);
    void showValue();

    QToolButton* up_;
    QToolButton* down_;
    QPointer<QLineEdit> buddy_;
    int minimum_ = 0;
    int maximum_ = 100;
    int step_ = 1;
    int value_ = 0;
};

} // namespace ui
