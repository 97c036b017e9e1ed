#include "ui/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace ui {

namespace {

QToolButton* makeArrow(QWidget* parent, const QString& name, Qt::ArrowType direction)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(direction);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The sum, held at the int range instead of overflowing.
int addClamped(int value, int step)
{
    const long long sum = static_cast<long long>(value) + step;
    return static_cast<int>(std::clamp<long long>(sum, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

} // namespace

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(makeArrow(this, QStringLiteral("up"), Qt::UpArrow)),
      down_(makeArrow(this, QStringLiteral("down"), Qt::DownArrow))
{
    connect(up_, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::setBuddy(QLineEdit* buddy)
{
    if (buddy_) {
        buddy_->removeEventFilter(this);
        disconnect(buddy_, nullptr, this, nullptr);
    }
    buddy_ = buddy;
    if (buddy_) {
        buddy_->installEventFilter(this);
        connect(buddy_, &QLineEdit::textEdited, this, &UpDown::takeTypedValue);
    }
    showValue();
}

void UpDown::setMinimum(int minimum)
{
    setRange(minimum, std::max(minimum, maximum_));
}

void UpDown::setMaximum(int maximum)
{
    setRange(std::min(minimum_, maximum), maximum);
}

void UpDown::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setValue(value_);
}

void UpDown::setSingleStep(int step)
{
    step_ = step;
}

void UpDown::setValue(int value)
{
    const int bounded = std::clamp(value, minimum_, maximum_);
    if (bounded == value_) {
        showValue();
        return;
    }
    value_ = bounded;
    showValue();
    Q_EMIT valueChanged(value_);
}

void UpDown::stepUp()
{
    setValue(addClamped(value_, step_));
}

void UpDown::stepDown()
{
    setValue(addClamped(value_, -step_));
}

QSize UpDown::sizeHint() const
{
    return {17, 21};
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: while the buddy is being destroyed (its destructor still sends events
    // through the filter) it is no longer a QLineEdit, and comparing with the QPointer would
    // cast it to one.
    if (event->type() == QEvent::KeyPress && watched == buddy_ && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up) {
            stepUp();
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            stepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent*)
{
    const int upper = height() / 2;
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
}

void UpDown::takeTypedValue(const QString& text)
{
    bool isNumber = false;
    const int typed = text.trimmed().toInt(&isNumber);
    if (!isNumber)
        return;
    const int bounded = std::clamp(typed, minimum_, maximum_);
    if (bounded == value_)
        return;
    value_ = bounded;
    Q_EMIT valueChanged(value_);
}

void UpDown::showValue()
{
    if (buddy_)
        buddy_->setText(QString::number(value_));
}

} // namespace ui
