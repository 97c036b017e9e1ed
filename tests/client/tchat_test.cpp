#include "client/scoreboard.h"
#include "client/tchat.h"
#include "protocol/message.h"
#include "support/eventloop.h"
#include "ui/colourbutton.h"
#include "ui/updown.h"

#include "fakeservices.h"
#include "ui_tchat.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace clienttest;

namespace {

// A player window fed with host messages exactly as its socket would deliver them.
class PlayerWindow : public ::testing::Test, public WindowUnderTest {
protected:
    // Logs in as `slot` with name `name`, with Ann in slot 1 when we are not slot 1.
    void loginAs(int slot, const QByteArray& name)
    {
        host("CMD_sendlogininfo+" + QByteArray::number(slot));
        host("CMD_newplayerinfo+" + QByteArray::number(slot) + '+' + name);
        if (slot != 1)
            host("CMD_existingplayers+1+Ann");
        sounds.played.clear();
    }
    Ui::Tchat& ui() { return window->ui(); }
    template <class T> T* child(const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QLabel* row(int n)
    {
        return window->findChild<QLabel*>(QStringLiteral("label_playername%1").arg(n));
    }
    QLabel* score(int n)
    {
        return window->findChild<QLabel*>(QStringLiteral("label_score%1").arg(n));
    }
    QLabel* eyes(int n)
    {
        return window->findChild<QLabel*>(QStringLiteral("image_eyes%1").arg(n));
    }
    QString lastChatLine() { return ui().mainchat->document()->lastBlock().text(); }
    QColor lastChatColour()
    {
        const QTextBlock block = ui().mainchat->document()->lastBlock();
        return block.begin().fragment().charFormat().foreground().color();
    }
    QColor textColour(QLabel* label) { return label->palette().color(QPalette::WindowText); }
    QString settingsPath() const { return dir.filePath(QStringLiteral("zelklobby.ini")); }
    void putSettings(const QByteArray& text)
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(text), text.size());
    }
    QByteArray settingsText() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    void closeAndWait()
    {
        window->close();
        ASSERT_TRUE(support::spinUntil([&] { return !window->isVisible(); }));
    }
};

const QByteArray kPlayersSettings = "[QuillonLobby]\r\nName=Bob\r\n\r\n[Quillon]\r\nTop=40\r\n"
                                    "Left=50\r\nWidth=900\r\nHeight=600\r\nTextsize=12\r\n"
                                    "Snapcount=17\r\nTextcolor=clNavy\r\nPlaysounds=false\r\n"
                                    "ChatterSounds=false\r\n";

const QColor kMaroon(128, 0, 0);

} // namespace

TEST_F(PlayerWindow, StartsWithAnEmptyBoardAndHostControlsOff)
{
    // The design's chat look before any settings are read.
    EXPECT_EQ(ui().mainchat->font().pointSize(), 8);
    EXPECT_EQ(ui().mychat->palette().color(QPalette::Text), kMaroon);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(row(n)->text(), QStringLiteral("<Waiting>"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillon - Zelk42 Software"));
    EXPECT_FALSE(ui().StartGame1->isEnabled());
    EXPECT_TRUE(ui().button_start->isHidden());
    EXPECT_EQ(ui().label_answer->text(), QStringLiteral("Quillon By Zelk42 Software"));
}

// A dark desktop theme and a large desktop font change nothing: the window draws with its
// own palette and font, so its texts stay dark on khaki, its fields white, and its fixed
// labels hold their longest texts side by side.
TEST(PlayerWindowLook, KeepsItsOwnColoursAndFontUnderADarkThemeAndALargeFont)
{
    const QPalette desktopPalette = QApplication::palette();
    const QFont desktopFont = QApplication::font();
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        dark.setColor(role, QColor(32, 32, 32));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 16));
    {
        WindowUnderTest look;
        Ui::Tchat& u = look.window->ui();
        for (const QLabel* label : look.window->findChildren<QLabel*>()) {
            EXPECT_LT(label->palette().color(label->foregroundRole()).lightness(), 100)
                << qPrintable(label->objectName());
        }
        for (const QLineEdit* field : {u.edit_answer, u.mychat})
            EXPECT_EQ(field->palette().color(QPalette::Base), QColor(Qt::white));

        const auto fits = [](const QLabel* label, const QString& longest) {
            return QFontMetrics(label->font()).horizontalAdvance(longest) <=
                   label->contentsRect().width();
        };
        EXPECT_TRUE(fits(u.playtoscore, QStringLiteral("Play to Score: 100")));
        EXPECT_TRUE(fits(u.timeperturn, QStringLiteral("Time Per Turn: 120")));
        const QList<QLabel*> tools = u.panel_toolbar->findChildren<QLabel*>();
        for (const QLabel* label : tools) {
            EXPECT_TRUE(fits(label, label->text())) << qPrintable(label->text());
            for (const QLabel* other : tools) {
                EXPECT_TRUE(other == label || !label->geometry().intersects(other->geometry()))
                    << qPrintable(label->text() + QLatin1Char('/') + other->text());
            }
        }
    }
    QApplication::setPalette(desktopPalette);
    QApplication::setFont(desktopFont);
}

TEST_F(PlayerWindow, TheClientAreaStaysThreePixelsLargerThanTheMainPanel)
{
    window->show();
    window->resize(300, 200);
    EXPECT_GE(ui().centralwidget->width(), 792);
    EXPECT_GE(ui().centralwidget->height(), 497);
    window->resize(1000, 700);
    EXPECT_EQ(ui().centralwidget->width(), 1000); // larger is fine
}

TEST_F(PlayerWindow, ArrivalsFillRowsAndSpectatorsAreListed)
{
    loginAs(2, "Bob");
    EXPECT_EQ(window->state().mySlot, 2);
    EXPECT_TRUE(window->state().connected);
    EXPECT_EQ(row(2)->text(), QStringLiteral("Bob"));
    EXPECT_EQ(row(1)->text(), QStringLiteral("Ann"));
    EXPECT_EQ(lastChatLine(), QStringLiteral("Ann is Connected."));

    host("CMD_newplayerinfo+12+Zed");
    EXPECT_EQ(lastChatLine(), QStringLiteral("Zed is spying."));
    EXPECT_EQ(window->roster().spectatorEntries(), QStringList{QStringLiteral("12: Zed")});
    EXPECT_EQ(sounds.played, QByteArrayList{"entered"});
}

TEST_F(PlayerWindow, ASpectatorIsToldItIsSpying)
{
    host("CMD_sendlogininfo+11");
    host("CMD_newplayerinfo+11+Eve");
    EXPECT_EQ(lastChatLine(), QStringLiteral("You are spying."));
}

TEST_F(PlayerWindow, ATeamGameColoursOddRowsBlackAndAPlainGameRestoresMaroon)
{
    loginAs(2, "Bob");
    host("CMD_startgame+1+true+20+125");
    EXPECT_EQ(textColour(row(1)), QColor(Qt::black));
    EXPECT_EQ(textColour(score(3)), QColor(Qt::black));
    EXPECT_EQ(textColour(row(2)), kMaroon);
    EXPECT_FALSE(ui().JustWatch1->isEnabled());
    EXPECT_EQ(ui().timeperturn->text(), QStringLiteral("Time Per Turn: 2:05"));
    EXPECT_EQ(ui().playtoscore->text(), QStringLiteral("Play to score: 20"));
    EXPECT_EQ(lastChatLine(), QStringLiteral("Ann has started a TEAM game."));

    host("CMD_startgame+1+false+20+600");
    EXPECT_EQ(textColour(row(1)), kMaroon);
    EXPECT_TRUE(ui().JustWatch1->isEnabled());
    EXPECT_EQ(ui().timeperturn->text(), QStringLiteral("Time Per Turn: 10:00"));
    host("CMD_startgame+1+false+20+abc");
    EXPECT_EQ(ui().timeperturn->text(), QStringLiteral("Time Per Turn: 2:00"));
}

TEST_F(PlayerWindow, TheChooserAppearsOnlyForThePicker)
{
    loginAs(2, "Bob");
    host("CMD_pickcatagory+1");
    EXPECT_TRUE(ui().panel_pickcatagory->isHidden());
    EXPECT_EQ(window->state().currentDrawer, 1);
    EXPECT_EQ(child<QLabel>("image_arrow")->y(), row(1)->y() + 2);

    host("CMD_pickcatagory+2");
    EXPECT_FALSE(ui().panel_pickcatagory->isHidden());
    EXPECT_EQ(ui().label_pickcatagory->text(), QStringLiteral("Your turn to"));
    EXPECT_EQ(ui().label_pickcatagory1->text(), QStringLiteral("choose a catagory"));
    EXPECT_EQ(sounds.played, QByteArrayList{"turn"});
    EXPECT_EQ(child<QLabel>("image_arrow")->y(), row(2)->y() + 2);
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 10);
}

TEST_F(PlayerWindow, AGuesserSeesTheAnswerLineAndTheGuessPanel)
{
    loginAs(2, "Bob");
    host("CMD_nextplayer+1+4+_____ ___ ____ ");
    EXPECT_EQ(ui().label_answer->text(), QStringLiteral("_____ ___ ____ "));
    EXPECT_EQ(child<QLabel>("label_turn")->text(), QStringLiteral("Ann's turn to draw."));
    EXPECT_FALSE(ui().panel_answer->isHidden());
    EXPECT_TRUE(ui().panel_toolbar->isHidden());
    EXPECT_TRUE(ui().button_pass->isHidden());
    EXPECT_FALSE(ui().edit_answer->isHidden());
    EXPECT_EQ(child<QLabel>("label_aguesser")->text(),
              QStringLiteral("+2")); // the host awards 2 always
    EXPECT_EQ(child<QLabel>("label_adrawer")->y(), row(1)->y());
    EXPECT_EQ(sounds.played, QByteArrayList{"cat4"});
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 120);

    host("CMD_nextplayer+1+6+_____ ");
    EXPECT_EQ(child<QLabel>("label_aguesser")->text(), QStringLiteral("+2"));
}

TEST_F(PlayerWindow, EveryWindowCountsTheTurnDownFromTheAnnouncedTime)
{
    loginAs(2, "Bob"); // not the host: its own dialog still says 120
    host("CMD_startgame+1+false+20+75");
    host("CMD_nextplayer+1+0+_____ ");
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 75);
}

TEST_F(PlayerWindow, AWindowHeldUpForSecondsCountsTheSecondsItMissed)
{
    loginAs(2, "Bob");
    host("CMD_nextplayer+1+0+_____ ");
    ASSERT_EQ(window->turnPanel().clock().secondsLeft(), 120);
    // The window cannot run for 2.3 s (stopped, suspended, busy): its clock's timer fires
    // once, late, and the clock shows the two whole seconds that passed, not one.
    std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    ASSERT_TRUE(
        support::spinUntil([&] { return window->turnPanel().clock().secondsLeft() != 120; }, 2000));
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 118);
    EXPECT_EQ(ui().label_timer->text(), QStringLiteral("1:58"));
}

TEST_F(PlayerWindow, ANewcomerCountsFromTheSummaryThatFollowsTheTurn)
{
    loginAs(3, "Cid");
    // The host's order for a newcomer: the turn first, then the game's summary.
    host("CMD_nextplayer+1+0+_____ ");
    host("CMD_gamestats+20+90+0+0+0+0+0+0+0+0+0+0");
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 90);
    EXPECT_EQ(window->turnPanel().clock().mode(), client::DisplayClock::Mode::Drawing);
}

TEST_F(PlayerWindow, EveryTurnStartsWithABlackPenOfWidthThree)
{
    loginAs(1, "Ann");
    host("CMD_nextplayer+1+0+_____ ");
    ui().ColorButton->setColour(protocol::rgbColour(255, 0, 0));
    for (int i = 0; i < 20; ++i)
        ui().UpDown1->stepUp();
    host("CMD_nextplayer+1+0+_____ ");
    EXPECT_EQ(ui().ColorButton->colour(), protocol::kBlack);
    EXPECT_EQ(ui().penw->text(), QStringLiteral("3"));
    ui().UpDown1->stepUp(); // steps on from 3, not from last turn's width
    EXPECT_EQ(ui().penw->text(), QStringLiteral("4"));
}

TEST_F(PlayerWindow, TheDrawerSeesThePhraseToolsAndPassButton)
{
    side.timePerTurn = QStringLiteral("90");
    loginAs(1, "Ann");
    host("CMD_nextplayer+1+0+_____ ");
    host("CMD_givedraweranswer+BACON");
    EXPECT_EQ(child<QLabel>("label_turn")->text(), QStringLiteral("Your turn to draw"));
    EXPECT_FALSE(ui().panel_toolbar->isHidden());
    EXPECT_TRUE(ui().panel_answer->isHidden());
    EXPECT_FALSE(ui().button_pass->isHidden());
    EXPECT_EQ(ui().label_fullanswer->text(), QStringLiteral("BACON"));
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 90); // this window's own dialog value
}

TEST_F(PlayerWindow, ASpectatorWatchesGuessesWithoutAGuessField)
{
    host("CMD_sendlogininfo+12");
    host("CMD_nextplayer+1+0+_____ ");
    EXPECT_FALSE(ui().panel_answer->isHidden());
    EXPECT_TRUE(ui().edit_answer->isHidden());
}

TEST_F(PlayerWindow, ATurnEndsWithTheFullAnswerEitherWay)
{
    loginAs(2, "Bob");
    host("CMD_nextplayer+1+0+_____ ___ ____ ");
    host("CMD_updateanswer+false+_____ AND ____ ");
    EXPECT_EQ(ui().label_answer->text(), QStringLiteral("_____ AND ____ "));
    EXPECT_EQ(window->state().currentDrawer, 1);
    host("CMD_updateanswer+true+BACON AND EGGS");
    EXPECT_EQ(lastChatLine(), QStringLiteral("No one guessed!"));
    EXPECT_EQ(window->state().currentDrawer, 0);
    EXPECT_TRUE(
        window->turnPanel().snapshotCaption().endsWith(QStringLiteral(": Ann-BACON AND EGGS")));
    EXPECT_TRUE(sounds.played.contains("noanswer"));
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 10);
}

TEST_F(PlayerWindow, ACorrectAnswerScoresAndSoundsOnlyForThoseInvolved)
{
    loginAs(3, "Cid");
    host("CMD_existingplayers+2+Bob");
    host("CMD_nextplayer+1+0+_____ ");
    sounds.played.clear();
    host("CMD_correctanswer+2+2+1+1+BACON");
    EXPECT_EQ(score(2)->text(), QStringLiteral("2"));
    EXPECT_EQ(score(1)->text(), QStringLiteral("1"));
    EXPECT_EQ(lastChatLine(), QStringLiteral("Bob has guessed the answer!"));
    EXPECT_FALSE(sounds.played.contains("correct")); // Cid neither guessed nor drew
    EXPECT_FALSE(child<QLabel>("label_aguesser")->isHidden());
    EXPECT_EQ(child<QLabel>("label_aguesser")->y(), row(2)->y());
    EXPECT_EQ(ui().label_answer->text(), QStringLiteral("BACON"));

    loginAs(2, "Bob");
    host("CMD_nextplayer+1+0+_____ ");
    host("CMD_correctanswer+2+4+1+2+BACON");
    EXPECT_TRUE(sounds.played.contains("correct"));
}

TEST_F(PlayerWindow, TheWinnerIsShownAndTheHostGetsItsStartButtonBack)
{
    loginAs(2, "Bob");
    host("CMD_winner+Black Team");
    EXPECT_FALSE(ui().panel_winner1->isHidden());
    EXPECT_EQ(ui().label_winner->text(), QStringLiteral("Black Team"));
    EXPECT_EQ(lastChatLine(), QStringLiteral("Black Team has Won the Game!"));
    EXPECT_TRUE(ui().button_start->isHidden()); // not the hosting window
    EXPECT_TRUE(sounds.played.contains("gameover"));
}

TEST_F(PlayerWindow, DeparturesFreeTheRowOnce)
{
    loginAs(2, "Bob");
    host("CMD_playerdisconnected+1+Ann");
    EXPECT_EQ(row(1)->text(), QStringLiteral("<Waiting>"));
    EXPECT_EQ(lastChatLine(), QStringLiteral("Ann disconnected."));
    const int lines = ui().mainchat->document()->blockCount();
    host("CMD_playerdisconnected+1+Ann");
    EXPECT_EQ(ui().mainchat->document()->blockCount(), lines);
    EXPECT_TRUE(window->state().connected);

    host("CMD_newplayerinfo+13+Zed");
    host("CMD_playerdisconnected+13+Zed");
    EXPECT_EQ(lastChatLine(), QStringLiteral("Zed has left."));
    EXPECT_TRUE(window->roster().spectatorEntries().isEmpty());
}

TEST_F(PlayerWindow, OurOwnDepartureDisconnectsAndClosesTheWindow)
{
    window->show();
    loginAs(2, "Bob");
    host("CMD_playerdisconnected+2+Bob");
    EXPECT_FALSE(window->state().connected);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(PlayerWindow, WatchingShowsTheEyesAndTicksOurOwnItem)
{
    loginAs(2, "Bob");
    host("CMD_justwatching+2+1");
    EXPECT_FALSE(eyes(2)->isHidden());
    EXPECT_TRUE(ui().JustWatch1->isChecked());
    EXPECT_EQ(lastChatLine(), QStringLiteral("Bob is just watching"));
    host("CMD_justwatching+1+1");
    EXPECT_FALSE(eyes(1)->isHidden());
    host("CMD_justwatching+2+2");
    EXPECT_TRUE(eyes(2)->isHidden());
    EXPECT_FALSE(ui().JustWatch1->isChecked());
    EXPECT_EQ(lastChatLine(), QStringLiteral("Bob now playing again"));
    host("CMD_justwatching+12+1"); // no row: nothing
    EXPECT_EQ(lastChatLine(), QStringLiteral("Bob now playing again"));
}

TEST_F(PlayerWindow, ANewcomerGetsTheGameSummary)
{
    loginAs(3, "Cid");
    host("CMD_gamestats+15+90+4+2+0+0+0+0+0+0+0+7");
    EXPECT_EQ(ui().playtoscore->text(), QStringLiteral("Play to Score: 15"));
    EXPECT_EQ(ui().timeperturn->text(), QStringLiteral("Time Per Turn: 1:30"));
    EXPECT_EQ(score(1)->text(), QStringLiteral("4"));
    EXPECT_EQ(score(10)->text(), QStringLiteral("7"));
    host("CMD_teamscore+1+2+1");
    EXPECT_EQ(score(3)->text(), QStringLiteral("1"));
    EXPECT_EQ(score(4)->text(), QStringLiteral("0"));
}

TEST_F(PlayerWindow, AFullTableIsToldAndTheWindowCloses)
{
    window->show();
    host("CMD_full+");
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("Game is full")});
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->state().connected);
}

TEST_F(PlayerWindow, StartingAGameNeedsAConnection)
{
    ui().StartGame1->setEnabled(true);
    ui().StartGame1->trigger();
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("You are not connected")});
    EXPECT_EQ(side.gameStartShown, 0);
}

TEST_F(PlayerWindow, ChatLinesAreBoldUpToTheColonInTheSendersColour)
{
    host("CMD_chat+Ann chats: hello: there|clNavy");
    const QTextBlock block = ui().mainchat->document()->lastBlock();
    EXPECT_EQ(block.text(), QStringLiteral("Ann chats: hello: there"));
    const QTextFragment head = block.begin().fragment();
    EXPECT_EQ(head.text(), QStringLiteral("Ann chats:"));
    EXPECT_EQ(head.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(head.charFormat().foreground().color(), QColor(0, 0, 128));
    EXPECT_EQ((++block.begin()).fragment().charFormat().fontWeight(), QFont::Normal);

    host("CMD_chat+Ann chats: a|b|clRed");
    EXPECT_EQ(lastChatLine(), QStringLiteral("Ann chats: a"));
    EXPECT_EQ(lastChatColour(), QColor(Qt::white));
}

TEST_F(PlayerWindow, VersionWarningsAreBlue)
{
    host("CMD_havewrongversion+Zed");
    EXPECT_EQ(lastChatLine(), QStringLiteral("Zed has a different version of the game then you."));
    EXPECT_EQ(lastChatColour(), QColor(0, 0, 255));
    host("CMD_wrongversion+");
    EXPECT_EQ(lastChatLine(),
              QStringLiteral("You have a different version of the game then the host."));
}

TEST_F(PlayerWindow, ANewcomersTurnClockShowsTheHostsTime)
{
    loginAs(3, "Cid");
    host("CMD_nextplayer+1+0+_____ ");
    host("CMD_gamestats+20+90+0+0+0+0+0+0+0+0+0+0");
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 90);
    host("CMD_updatetime+50");
    EXPECT_EQ(window->turnPanel().clock().secondsLeft(), 48);
    EXPECT_EQ(ui().label_timer->text(), QStringLiteral("0:48"));
}

TEST_F(PlayerWindow, UnknownNamesAndBareWordsAreIgnored)
{
    const int lines = ui().mainchat->document()->blockCount();
    host("CMD_nothing+98");
    host("hello");
    host("cmd_chat+x|clRed");
    EXPECT_EQ(ui().mainchat->document()->blockCount(), lines);
    EXPECT_FALSE(window->connection().hasQueuedMessages());
}

TEST_F(PlayerWindow, StrokesOfOthersAreDrawnAndOurOwnAreNot)
{
    loginAs(2, "Bob");
    host("CMD_moveit+1+clRed+5+100+100");
    host("CMD_draw+1+clRed+5++120,100+140,100+");
    const QImage& board = ui().image_main->picture();
    EXPECT_EQ(board.pixelColor(130, 100), QColor(Qt::red));
    host("CMD_moveit+2+clBlue+5+10+10"); // our own stroke, relayed back
    EXPECT_EQ(board.pixelColor(10, 10), QColor(Qt::white));
    host("CMD_clearmain+1");
    EXPECT_EQ(ui().image_main->picture().pixelColor(130, 100), QColor(Qt::white));
}

TEST_F(PlayerWindow, ChatterSoundsPlayOrAreWrittenDown)
{
    loginAs(2, "Bob");
    host("CMD_playasound+1+wave5+");
    EXPECT_EQ(sounds.played, QByteArrayList{"wave5"});
    ui().PlayChatterSounds1->setChecked(false);
    host("CMD_playasound+1+wave5+");
    EXPECT_EQ(lastChatLine(), QStringLiteral("Ann: <Chatter Sound> Where have you been?"));
}

TEST_F(PlayerWindow, OnlyTheHostingWindowMayActOnOtherRows)
{
    loginAs(2, "Bob");
    const std::unique_ptr<QMenu> menu = window->scoreBoard().rowMenu(3);
    for (QAction* item : menu->actions()) {
        if (!item->isSeparator()) {
            EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
        }
    }
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("label_playername1"))->contextMenuPolicy(),
              Qt::CustomContextMenu);
}

// --- The settings file ---

TEST_F(PlayerWindow, AWindowThatNeverReachedItsTableLeavesTheSettingsFileAsItWas)
{
    putSettings(kPlayersSettings);
    // A name alone on the command line: the window waits for a table that never comes.
    window->setArguments({QStringLiteral("Bob")});
    window->show();
    ASSERT_TRUE(support::spinUntil([&] {
        return lastChatLine() == QStringLiteral("Loading Multi-player Game.. Please Wait.");
    }));
    // The menus' own saves come to nothing as well.
    ui().N10->trigger();
    ui().PlaySounds1->trigger();
    host("CMD_full+");
    ASSERT_TRUE(support::spinUntil([&] { return !window->isVisible(); }));
    EXPECT_EQ(settingsText(), kPlayersSettings);
    EXPECT_EQ(dialogs.shown, QStringList{QStringLiteral("Game is full")});
}

TEST_F(PlayerWindow, ASettingsFileThatCannotBeReadIsToldAndNeverWrittenOver)
{
    // A FIFO the window opened would block it (and this test) for good.
    ASSERT_EQ(::mkfifo(QFile::encodeName(settingsPath()).constData(), 0600), 0);
    window->show();
    loginAs(2, "Bob");
    EXPECT_TRUE(ui().mainchat->toPlainText().contains(
        QStringLiteral("Settings not read: %1 is not a regular file").arg(settingsPath())))
        << ui().mainchat->toPlainText().toStdString();
    ui().N12->trigger();
    closeAndWait();
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(settingsPath()).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join(u'|').toStdString();
}

TEST_F(PlayerWindow, StoredGeometryIsBroughtOntoTheDesktopAndAbsurdTextSizesAreDropped)
{
    putSettings("[Quillon]\nTop=90000\nLeft=-50000\nWidth=30000\nHeight=30000\n"
                "Textsize=2000\n");
    window->show();
    loginAs(2, "Bob");
    const QRect desktop = window->screen()->availableGeometry();
    EXPECT_TRUE(support::spinUntil([&] { return desktop.contains(window->frameGeometry()); }))
        << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    EXPECT_EQ(ui().mainchat->font().pointSize(), 8);
    EXPECT_TRUE(ui().N8->isChecked());
}
