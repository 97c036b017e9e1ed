#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class Tphrases;
}

namespace windows {

// The editor of the nine quick phrases: an edit of at most 50 characters for each button.
// It is filled from the buttons each time it opens; "Done" hands the nine texts to the
// owner (who sets the buttons and stores them) and hides it; closing it with the frame
// throws the edits away.
class PhraseEditor : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPhrases = 9;
    // What a player may type into a field.
    static constexpr int kTypedLength = 50;
    static constexpr int kMaxLength = 50;
    using Phrases = std::array<QString, kPhrases>;
    using DoneHandler = std::function<void(const Phrases& phrases)>;

    explicit PhraseEditor(QWidget* parent = nullptr);
    ~PhraseEditor() override;

    void setDoneHandler(DoneHandler handler) { handler_ = std::move(handler); }
    void fill(const Phrases& phrases);
    Phrases phrases() const;
    // What "Done" does: run the handler (if any), then hide.
    void doneClick();

private:
    QLineEdit* edit(int n) const;

    std::unique_ptr<Ui::Tphrases> ui_;
    DoneHandler handler_;
    Phrases stored_; // as filled in, for the fields left as they were
    Phrases shown_;  // what each field showed after filling
};

} // namespace windows
