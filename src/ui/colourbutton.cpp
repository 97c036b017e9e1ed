#include "ui/colourbutton.h"

#include "ui/colours.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolButton>

#include <algorithm>

namespace ui {

namespace {

using protocol::rgbColour;

constexpr int kSwatchSize = 16;
constexpr int kArrowWidth = 9;

QIcon swatchIcon(protocol::ColourValue colour)
{
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(toQColor(colour));
    QPainter painter(&pixmap);
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
    return QIcon(pixmap);
}

QString colourName(protocol::ColourValue colour)
{
    const QColor value = toQColor(colour);
    return QStringLiteral("Red %1, green %2, blue %3")
        .arg(value.red())
        .arg(value.green())
        .arg(value.blue());
}

} // namespace

const ColourButton::Palette& ColourButton::palette()
{
    static constexpr Palette colours = {
        rgbColour(255, 255, 255), rgbColour(255, 0, 0),     rgbColour(0, 255, 0),
        rgbColour(0, 0, 255),     rgbColour(191, 215, 191), rgbColour(0, 0, 0),
        rgbColour(127, 0, 0),     rgbColour(0, 127, 0),     rgbColour(0, 0, 127),
        rgbColour(159, 191, 239), rgbColour(191, 191, 191), rgbColour(255, 255, 0),
        rgbColour(0, 255, 255),   rgbColour(255, 0, 255),   rgbColour(255, 247, 239),
        rgbColour(127, 127, 127), rgbColour(127, 127, 0),   rgbColour(0, 127, 127),
        rgbColour(127, 0, 127),   rgbColour(159, 159, 159),
    };
    return colours;
}

ColourButton::ColourButton(QWidget* parent) : QPushButton(parent)
{
    customColours_.fill(qRgb(255, 255, 255));
    buildPalette();
    connect(this, &QPushButton::clicked, this, &ColourButton::showPalette);
}

void ColourButton::buildPalette()
{
    popup_ = new QFrame(this, Qt::Popup);
    popup_->setObjectName(QStringLiteral("palette"));
    popup_->setFrameShape(QFrame::StyledPanel);
    popup_->setFrameShadow(QFrame::Plain);
    auto* grid = new QGridLayout(popup_);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);

    const Palette& colours = palette();
    for (int i = 0; i < static_cast<int>(colours.size()); ++i) {
        const protocol::ColourValue colour = colours[static_cast<std::size_t>(i)];
        auto* swatch = new QToolButton(popup_);
        swatch->setObjectName(QStringLiteral("swatch%1").arg(i + 1));
        swatch->setIcon(swatchIcon(colour));
        swatch->setIconSize(QSize(kSwatchSize, kSwatchSize));
        swatch->setAutoRaise(true);
        swatch->setCheckable(true);
        swatch->setToolTip(colourName(colour));
        connect(swatch, &QToolButton::clicked, this, [this, colour] {
            popup_->hide();
            setColour(colour);
        });
        grid->addWidget(swatch, i % kPaletteRows, i / kPaletteRows);
    }

    auto* other = new QPushButton(tr("&Other"), popup_);
    other->setObjectName(QStringLiteral("other"));
    connect(other, &QPushButton::clicked, this, &ColourButton::chooseOtherColour);
    grid->addWidget(other, kPaletteRows, 0, 1, kPaletteColumns);
}

void ColourButton::setColour(protocol::ColourValue colour)
{
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
    Q_EMIT colourChanged(colour_);
}

void ColourButton::showPalette()
{
    QToolButton* current = nullptr;
    const Palette& colours = palette();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        auto* swatch = popup_->findChild<QToolButton*>(QStringLiteral("swatch%1").arg(i + 1));
        swatch->setChecked(colours[i] == colour_);
        if (colours[i] == colour_)
            current = swatch;
    }

    popup_->adjustSize();
    const QSize size = popup_->size();
    QPoint place = mapToGlobal(QPoint(0, height()));
    if (const QScreen* display = screen()) {
        const QRect area = display->availableGeometry();
        if (place.y() + size.height() > area.bottom() + 1)
            place.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        place.setX(std::max(area.left(), std::min(place.x(), area.right() + 1 - size.width())));
    }
    popup_->move(place);
    popup_->show();
    if (current)
        current->setFocus(Qt::PopupFocusReason);
}

void ColourButton::chooseOtherColour()
{
    popup_->hide();
    for (int i = 0; i < kCustomColours; ++i)
        QColorDialog::setCustomColor(i,
                                     QColor::fromRgb(customColours_[static_cast<std::size_t>(i)]));

    QColor start = toQColor(colour_);
    if (!start.isValid())
        start = Qt::black;
    QColorDialog dialog(start, this);
    const int result = dialog.exec();

    for (int i = 0; i < kCustomColours; ++i)
        customColours_[static_cast<std::size_t>(i)] = QColorDialog::customColor(i).rgb();
    if (result == QDialog::Accepted)
        setColour(fromQColor(dialog.selectedColor()));
}

QSize ColourButton::sizeHint() const
{
    return {52, 24};
}

void ColourButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect content = style()
                        ->subElementRect(QStyle::SE_PushButtonContents, &option, this)
                        .adjusted(2, 2, -2, -2);
    if (isDown())
        content.translate(1, 1);
    const QRect swatch = content.adjusted(0, 0, -(kArrowWidth + 3), 0);
    const QColor colour = toQColor(colour_);
    if (colour.isValid())
        painter.fillRect(swatch, isEnabled() ? colour : colour.lighter(130));
    else
        painter.fillRect(swatch, QBrush(option.palette.color(QPalette::Mid), Qt::BDiagPattern));
    painter.setPen(option.palette.color(QPalette::Shadow));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));

    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(content.right() - kArrowWidth + 1, content.center().y() - 3, kArrowWidth, 7);
    painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
}

} // namespace ui
