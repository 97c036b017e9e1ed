// The quick-phrase editor: filled from the buttons, at most 50 characters a phrase, "Done"
// hands the nine texts over and closing with the frame throws the edits away.
#include "windows/phrases.h"

#include "windowstest.h"

using namespace windowstest;

namespace {

windows::PhraseEditor::Phrases numbered(const QString& stem)
{
    windows::PhraseEditor::Phrases phrases;
    for (int n = 0; n < 9; ++n)
        phrases[static_cast<size_t>(n)] = stem + QString::number(n + 1);
    return phrases;
}

TEST(PhraseEditor, DoneHandsOverTheNineEditsAndClosingDiscardsThem)
{
    windows::PhraseEditor editor;
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Quillon - Phrase Buttons"));
    std::optional<windows::PhraseEditor::Phrases> handed;
    editor.setDoneHandler([&](const windows::PhraseEditor::Phrases& p) { handed = p; });

    editor.fill(numbered(QStringLiteral("old ")));
    editor.show();
    child<QLineEdit>(editor, "phrase3")->setText(QStringLiteral("Nice Draw!"));
    editor.close(); // the frame's close: nothing handed over
    EXPECT_FALSE(handed.has_value());

    editor.fill(numbered(QStringLiteral("old ")));
    editor.show();
    EXPECT_EQ(child<QLineEdit>(editor, "phrase3")->text(), QStringLiteral("old 3"));
    QTest::keyClicks(child<QLineEdit>(editor, "phrase9"), QString(60, QLatin1Char('x')));
    child<QLineEdit>(editor, "phrase1")->clear();
    QTest::mouseClick(child<QPushButton>(editor, "SelButton8"), Qt::LeftButton);
    ASSERT_TRUE(handed.has_value());
    EXPECT_EQ((*handed)[0], QString());
    EXPECT_EQ((*handed)[1], QStringLiteral("old 2"));
    EXPECT_EQ((*handed)[8], QStringLiteral("old 9") + QString(45, QLatin1Char('x'))); // 50 at most
    EXPECT_FALSE(editor.isVisible());
}

TEST(PhraseEditor, AStoredPhraseLongerThanAFieldIsShownWholeAndKeptUntilEdited)
{
    windows::PhraseEditor editor;
    std::optional<windows::PhraseEditor::Phrases> handed;
    editor.setDoneHandler([&](const windows::PhraseEditor::Phrases& p) { handed = p; });
    windows::PhraseEditor::Phrases stored = numbered(QStringLiteral("p"));
    stored[0] = QString(80, QLatin1Char('a'));
    stored[1] = QString(40000, QLatin1Char('b')); // more than any line edit holds
    editor.fill(stored);
    editor.show();
    EXPECT_EQ(child<QLineEdit>(editor, "phrase1")->text(), stored[0]);
    QTest::mouseClick(child<QPushButton>(editor, "SelButton8"), Qt::LeftButton);
    ASSERT_TRUE(handed.has_value());
    EXPECT_EQ(*handed, stored);

    // An edit of the long phrase is the player's, as typed.
    editor.fill(stored);
    editor.show();
    QTest::keyClick(child<QLineEdit>(editor, "phrase1"), Qt::Key_End);
    QTest::keyClick(child<QLineEdit>(editor, "phrase1"), Qt::Key_Backspace);
    QTest::mouseClick(child<QPushButton>(editor, "SelButton8"), Qt::LeftButton);
    EXPECT_EQ((*handed)[0], QString(79, QLatin1Char('a')));
    EXPECT_EQ((*handed)[1], stored[1]);
}

} // namespace
