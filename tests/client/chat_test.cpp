// The talking side of the window as a player uses it: the chat entry and its rules, quick
// phrases and their pause, chatter sounds, guesses and passing, links in the transcript,
// the pop-up menus and the options that are saved.
#include "client/links.h"
#include "client/tchat.h"

#include "fakehost.h"
#include "fakeservices.h"
#include "ui_tchat.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace clienttest;

namespace {

class RecordingLinks : public client::LinkOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

class Chatting : public ::testing::Test, public WindowUnderTest {
protected:
    void seat(int slot = 2)
    {
        client::Services s;
        s.sounds = &sounds;
        s.dialogs = &dialogs;
        s.sideWindows = &side;
        s.links = &links;
        s.settingsPath = dir.filePath(QStringLiteral("zelklobby.ini"));
        window->setServices(s);
        ASSERT_TRUE(host.seat(*window, slot));
        host.take();
    }
    // Types `text` into the chat entry and presses Enter (press and release).
    void say(const QString& text)
    {
        QLineEdit* entry = window->ui().mychat;
        entry->setText(text);
        QTest::keyClick(entry, Qt::Key_Return);
    }
    // Presses the mouse on character `at` of the transcript's last line.
    void pressOnLastLine(int at)
    {
        QTextEdit* transcript = window->ui().mainchat;
        QTextCursor cursor(transcript->document()->lastBlock());
        cursor.setPosition(cursor.position() + at);
        QTest::mouseClick(transcript->viewport(), Qt::LeftButton, {},
                          transcript->cursorRect(cursor).center() + QPoint(2, 0));
    }

    FakeHost host;
    RecordingLinks links;
};

} // namespace

TEST_F(Chatting, TheEntrySendsChatAndActionsAndNothingElse)
{
    seat();
    QLineEdit* entry = window->ui().mychat;
    EXPECT_EQ(entry->text(), QStringLiteral("<Enter Chat Here>"));
    QTest::keyClick(entry, Qt::Key_H); // the placeholder goes with the first key
    EXPECT_EQ(entry->text(), QStringLiteral("h"));

    say(QStringLiteral("hello + there"));
    say(QStringLiteral("/me waves"));
    say(QStringLiteral("/me"));
    say(QStringLiteral("/ME shouts"));
    say(QStringLiteral("/quit"));
    say(QString());
    EXPECT_EQ(host.take(),
              (QList<QByteArray>{"CMD_chat+2+hello + there|clMaroon", "CMD_action+2+waves|clBlack",
                                 "CMD_action+2+|clBlack"}));
    EXPECT_TRUE(entry->text().isEmpty());
}

TEST_F(Chatting, WithoutAConnectionTheEntryKeepsItsText)
{
    window->ui().mychat->setText(QStringLiteral("anyone?"));
    QTest::keyClick(window->ui().mychat, Qt::Key_Return);
    EXPECT_EQ(window->ui().mychat->text(), QStringLiteral("anyone?"));
}

TEST_F(Chatting, QuickPhrasesWaitTheirPauseAndMeansAnAction)
{
    seat();
    // The pause is counted in the window's drain ticks; here they are counted by hand, and
    // nothing else runs the event loop until the end.
    window->ui().b_phrase1->click();
    window->ui().b_phrase2->click(); // too soon: ignored
    for (int tick = 0; tick < 100; ++tick)
        window->connection().drainTick();
    window->ui().b_phrase2->click(); // the 100th tick is not enough
    window->connection().drainTick();
    window->ui().b_phrase9->setToolTip(QStringLiteral("/me bows"));
    window->ui().b_phrase9->click();
    EXPECT_EQ(host.take(), (QList<QByteArray>{"CMD_action+2+says: Way To Go!|clBlack",
                                              "CMD_action+2+bows|clBlack"}));
}

TEST_F(Chatting, AQuickPhraseBeforeAnyConnectionIsRefusedByTheSocket)
{
    window->ui().b_phrase1->click();
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("Send - Socket Not Connected")});
}

TEST_F(Chatting, ChatterSoundsComeFromTheirMenuAndNotFromSpectators)
{
    seat();
    QMenu* menu = window->findChild<QMenu*>(QStringLiteral("popup_sounds"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().size(), 21);
    EXPECT_EQ(menu->actions().at(5)->text(), QStringLiteral("Where have you been?"));
    menu->actions().at(5)->trigger();
    menu->actions().at(0)->trigger(); // <Cancel>
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_playasound+2+wave5+"});

    host.send("CMD_sendlogininfo+12");
    ASSERT_TRUE(support::spinUntil([&] { return window->state().mySlot == 12; }));
    host.take();
    menu->actions().at(5)->trigger();
    EXPECT_TRUE(host.take().isEmpty());
}

TEST_F(Chatting, AHeldEnterSendsOneGuessAndNoEmptyOnesAndTheDrawerPassesOnce)
{
    seat();
    host.send("CMD_nextplayer+1+0+_____ ");
    ASSERT_TRUE(support::spinUntil([&] { return !window->ui().panel_answer->isHidden(); }));
    window->ui().edit_answer->setText(QStringLiteral("bacon"));
    for (int repeat = 0; repeat < 30; ++repeat)
        QTest::keyClick(window->ui().edit_answer, Qt::Key_Return);
    window->ui().edit_answer->setText(QStringLiteral("   "));
    QTest::keyClick(window->ui().edit_answer, Qt::Key_Return);
    say(QStringLiteral("after")); // everything before it has gone out once it arrives
    QList<QByteArray> sent;
    ASSERT_TRUE(support::spinUntil([&] {
        sent += host.take();
        return sent.contains("CMD_chat+2+after|clMaroon");
    }));
    EXPECT_EQ(sent, (QList<QByteArray>{"CMD_answer+2+bacon", "CMD_chat+2+after|clMaroon"}));
    EXPECT_TRUE(window->ui().edit_answer->text().isEmpty());

    host.send("CMD_nextplayer+2+0+_____ ");
    ASSERT_TRUE(support::spinUntil([&] { return !window->ui().button_pass->isHidden(); }));
    window->ui().button_pass->click();
    EXPECT_TRUE(window->ui().button_pass->isHidden());
    EXPECT_EQ(host.take(), QList<QByteArray>{"CMD_pass+2"});

    host.send("CMD_passed+12+0"); // a spectator's turn: no row, the notice all the same
    ASSERT_TRUE(support::spinUntil([&] {
        return window->ui().mainchat->document()->lastBlock().text() ==
               QStringLiteral("Slot 12 has bought a different phrase for one point.");
    }));
    EXPECT_TRUE(sounds.played.contains("pass"));
}

// Typed keys go where the player expects: into the guess entry when a turn starts, on in the
// chat entry when the guess entry goes away, and never into a button.
TEST_F(Chatting, TypingGoesIntoTheGuessOrTheChatAndNeverPressesAButton)
{
    window->show();
    seat();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << qPrintable(button->objectName());
    const auto type = [&](const QString& text) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClicks(focus, text);
        QTest::keyClick(focus, Qt::Key_Return);
    };
    const auto sentSoon = [&](const QByteArray& line) {
        QList<QByteArray> sent;
        const bool arrived = support::spinUntil([&] {
            sent += host.take();
            return sent.contains(line);
        });
        return arrived && sent.size() == 1;
    };

    EXPECT_EQ(QApplication::focusWidget(), window->ui().mychat);
    // An Enter whose press chose from a menu leaves only its release here: nothing is sent,
    // least of all the placeholder.
    QTest::keyRelease(window->ui().mychat, Qt::Key_Return);
    say(QStringLiteral("first"));
    EXPECT_TRUE(sentSoon("CMD_chat+2+first|clMaroon"));

    host.send("CMD_nextplayer+1+0+_____ ");
    ASSERT_TRUE(support::spinUntil(
        [&] { return QApplication::focusWidget() == window->ui().edit_answer; }));
    type(QStringLiteral("barn"));
    EXPECT_TRUE(sentSoon("CMD_answer+2+barn"));

    // The player's own turn hides the guess entry: the next guess typed goes to the chat.
    host.send("CMD_nextplayer+2+0+_____ ");
    ASSERT_TRUE(support::spinUntil([&] { return !window->ui().button_pass->isHidden(); }));
    EXPECT_TRUE(window->ui().panel_answer->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), window->ui().mychat);
    type(QStringLiteral("big red barn"));
    EXPECT_TRUE(sentSoon("CMD_chat+2+big red barn|clMaroon"));

    // A chat line half typed keeps its field when the next turn starts.
    QTest::keyClicks(window->ui().mychat, QStringLiteral("half"));
    host.send("CMD_nextplayer+3+0+_____ ");
    ASSERT_TRUE(support::spinUntil([&] { return !window->ui().panel_answer->isHidden(); }));
    EXPECT_EQ(QApplication::focusWidget(), window->ui().mychat);
}

// Text copied from the transcript keeps its line breaks; a Copy without a selection leaves
// the clipboard as it was.
TEST_F(Chatting, CopyKeepsLineBreaksAndNothingSelectedCopiesNothing)
{
    window->show();
    seat();
    host.send("CMD_chat+Ann chats: first|clBlack");
    host.send("CMD_chat+Cy chats: second|clBlack");
    QTextEdit* transcript = window->ui().mainchat;
    ASSERT_TRUE(support::spinUntil([&] {
        return transcript->document()->lastBlock().text().contains(QLatin1String("second"));
    }));
    QAction* copy = window->findChild<QAction*>(QStringLiteral("Copy1"));
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    transcript->setTextCursor(QTextCursor(transcript->document()));
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));

    QTextCursor both(transcript->document()->lastBlock().previous());
    both.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    transcript->setTextCursor(both);
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Ann chats: first\nCy chats: second"));
}

TEST(LinkFinder, FindsAddressesByTheirPrefixesInOrderAndTrimsTheirEnds)
{
    const auto at = [](const char* text, int position) {
        const auto link = client::findLink(QString::fromLatin1(text), position);
        return link ? link->address : QStringLiteral("(none)");
    };
    EXPECT_EQ(at("see www.example.com.", 6), QStringLiteral("www.example.com"));
    EXPECT_EQ(at("see www.example.com.", 2), QStringLiteral("(none)")); // another word
    EXPECT_EQ(at("(https://Example.org/Path)!", 0), QStringLiteral("https://Example.org/Path"));
    EXPECT_EQ(at("http:// alone", 1), QStringLiteral("(none)"));
    // The prefixes' order decides, not where they stand.
    EXPECT_EQ(at("ftp://a/http://b", 3), QStringLiteral("http://b"));
    EXPECT_EQ(at("write to mailto:ann@example.org,", 12), QStringLiteral("mailto:ann@example.org"));
    const auto local = client::findLink(QStringLiteral("file:///etc/shadow"), 4);
    ASSERT_TRUE(local.has_value());
    EXPECT_TRUE(local->local);
}

TEST_F(Chatting, ALinkIsSelectedAndOpenedButALocalFileNever)
{
    window->show();
    seat();
    host.send("CMD_chat+Ann chats: look at www.example.com/Page. now|clBlack");
    ASSERT_TRUE(support::spinUntil([&] {
        return window->ui().mainchat->document()->lastBlock().text().contains(
            QLatin1String("look"));
    }));
    pressOnLastLine(22);
    // Written with "www.", opened as a web address (never as a file of that name).
    EXPECT_EQ(links.opened, QStringList{QStringLiteral("http://www.example.com/Page")});
    EXPECT_EQ(window->ui().mainchat->textCursor().selectedText(),
              QStringLiteral("www.example.com/Page"));

    host.send("CMD_chat+Eve chats: file:///etc/shadow|clBlack");
    ASSERT_TRUE(support::spinUntil([&] {
        return window->ui().mainchat->document()->lastBlock().text().contains(
            QLatin1String("shadow"));
    }));
    pressOnLastLine(15);
    EXPECT_EQ(links.opened.size(), 1);
    EXPECT_EQ(window->ui().mainchat->textCursor().selectedText(),
              QStringLiteral("file:///etc/shadow"));
}

TEST_F(Chatting, PasteReplacesTheWholeEntry)
{
    QApplication::clipboard()->setText(QStringLiteral("from the clipboard"));
    window->ui().mychat->setText(QStringLiteral("typed"));
    window->findChild<QAction*>(QStringLiteral("Paste1"))->trigger();
    EXPECT_EQ(window->ui().mychat->text(), QStringLiteral("from the clipboard"));
}

TEST_F(Chatting, TextSizeAndSoundSwitchesAreSaved)
{
    seat(); // the settings are read on arrival; until then nothing is written
    window->ui().N14->trigger();
    window->ui().PlaySounds1->trigger();
    const QByteArray saved = [&] {
        QFile file(dir.filePath(QStringLiteral("zelklobby.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    EXPECT_TRUE(saved.contains("Textsize=14"));
    EXPECT_TRUE(saved.contains("Playsounds=false"));
    EXPECT_FALSE(window->ui().N14->isChecked()); // the tick shows the loaded size
    EXPECT_EQ(window->ui().mainchat->font().pointSize(), 14);
}

TEST_F(Chatting, TheEditorsPhrasesGoToTheButtonsAndOnlyThePhraseKeysAreStored)
{
    window->ui().PhraseLists1->trigger();
    EXPECT_EQ(side.editorPhrases[0], QStringLiteral("Way To Go!"));
    std::array<QString, 9> phrases = side.editorPhrases;
    phrases[0] = QStringLiteral("Bravo!");
    phrases[8] = QString(); // an emptied phrase: the button sends nothing until a restart
    window->applyPhrases(phrases);
    EXPECT_EQ(window->ui().b_phrase1->toolTip(), QStringLiteral("Bravo!"));
    EXPECT_TRUE(window->ui().b_phrase9->toolTip().isEmpty());
    QFile file(dir.filePath(QStringLiteral("zelklobby.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains("Phrase1=Bravo!"));
    EXPECT_TRUE(saved.contains("Phrase9="));
    EXPECT_FALSE(saved.contains("Textsize"));
}
