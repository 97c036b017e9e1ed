#include "windows/phrases.h"

#include "ui_phrases.h"

#include <QLineEdit>

namespace windows {

PhraseEditor::PhraseEditor(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::Tphrases>())
{
    // The .ui gives the background its colour, $CEE1E3 (red 227, green 225, blue 206).
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(size());
    connect(ui_->SelButton8, &QPushButton::clicked, this, &PhraseEditor::doneClick);
}

PhraseEditor::~PhraseEditor() = default;

QLineEdit* PhraseEditor::edit(int n) const
{
    return findChild<QLineEdit*>(QStringLiteral("phrase%1").arg(n));
}

void PhraseEditor::fill(const Phrases& phrases)
{
    for (int n = 1; n <= kPhrases; ++n)
        edit(n)->setText(phrases[static_cast<size_t>(n - 1)]);
}

PhraseEditor::Phrases PhraseEditor::phrases() const
{
    Phrases texts;
    for (int n = 1; n <= kPhrases; ++n)
        texts[static_cast<size_t>(n - 1)] = edit(n)->text();
    return texts;
}

void PhraseEditor::doneClick()
{
    if (handler_)
        handler_(phrases());
    hide();
}

} // namespace windows
