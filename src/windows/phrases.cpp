#include "windows/phrases.h"

#include "ui_phrases.h"

#include <QLineEdit>

#include <algorithm>

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
    stored_ = phrases;
    for (int n = 1; n <= kPhrases; ++n) {
        QLineEdit* field = edit(n);
        const QString& text = phrases[static_cast<size_t>(n - 1)];
        // The field's limit is for typing; a longer phrase from the settings is shown whole.
        field->setMaxLength(std::max(kTypedLength, static_cast<int>(text.size())));
        field->setText(text);
        shown_[static_cast<size_t>(n - 1)] = field->text();
    }
}

PhraseEditor::Phrases PhraseEditor::phrases() const
{
    Phrases texts;
    for (int n = 1; n <= kPhrases; ++n) {
        const QLineEdit* field = edit(n);
        const auto i = static_cast<size_t>(n - 1);
        // A field still showing what it was filled with gives back the phrase as stored,
        // even one longer than a line edit holds.
        texts[i] = field->text() == shown_[i] ? stored_[i] : field->text();
    }
    return texts;
}

void PhraseEditor::doneClick()
{
    if (handler_)
        handler_(phrases());
    hide();
}

} // namespace windows
