#pragma once

#include "protocol/colour.h"

#include <QColor>
#include <QPushButton>
#include <QRgb>

#include <array>

class QFrame;

namespace ui {

// The pen colour choice of the drawing toolbar. The button shows the current colour;
// clicking it drops down a palette of 20 colours, four columns of five, and an "&Other"
// button that opens the colour dialog. The dialog's 16 custom colours start white and
// keep what the user stores in them for the next opening of this button's dialog.
//
// The palette's children are named for whoever needs to find them: the popup "palette",
// its colour buttons "swatch1" .. "swatch20" in palette order, and "other".
class ColourButton : public QPushButton {
    Q_OBJECT

public:
    static constexpr int kPaletteColumns = 4;
    static constexpr int kPaletteRows = 5;
    static constexpr int kCustomColours = 16;
    using Palette = std::array<protocol::ColourValue, kPaletteColumns * kPaletteRows>;

    // The palette in order. It fills the grid column by column, so each column of five
    // reads top to bottom: the bright colours, their dark partners, the light ones and
    // the greys with the mid tones.
    static const Palette& palette();

    explicit ColourButton(QWidget* parent = nullptr);

    protocol::ColourValue colour() const { return colour_; }
    // Emits colourChanged when the value differs from the current one.
    void setColour(protocol::ColourValue colour);

    // The drop-down palette (hidden while closed).
    QFrame* palettePopup() const { return popup_; }
    // Drops the palette down under the button, the current colour marked.
    void showPalette();
    // Opens the colour dialog on the current colour; a colour chosen there becomes the
    // button's colour.
    void chooseOtherColour();

    QSize sizeHint() const override;

Q_SIGNALS:
    void colourChanged(protocol::ColourValue colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildPalette();

    protocol::ColourValue colour_ = protocol::kBlack;
    QFrame* popup_ = nullptr;
    std::array<QRgb, kCustomColours> customColours_{};
};

} // namespace ui
