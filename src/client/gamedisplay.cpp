#include "client/gamedisplay.h"

#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/windows1252.h"
#include "ui/colours.h"
#include "ui/pictures.h"

#include "ui_tchat.h"

#include <QDate>
#include <QLocale>

namespace client {

using protocol::FieldReader;
using protocol::fromWindows1252;

namespace {

const QString kWaiting = QStringLiteral("<Waiting>");
constexpr int kPauseSeconds = 10;
constexpr int kDefaultTurnSeconds = 120;

void setTextColour(QLabel* label, protocol::ColourValue colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ui::toQColor(colour));
    label->setPalette(palette);
}

} // namespace

GameDisplay::GameDisplay(Ui::Tchat& ui, ClientState& state, ChatView& chat,
                         const Services& services, QObject* parent)
    : QObject(parent), m_ui(ui), m_state(state), m_chat(chat), m_services(services)
{
    QWidget* board = m_ui.panel_score;
    for (int n = 1; n <= kRows; ++n) {
        const auto i = static_cast<size_t>(n);
        m_names[i] = board->findChild<QLabel*>(QStringLiteral("label_playername%1").arg(n));
        m_scores[i] = board->findChild<QLabel*>(QStringLiteral("label_score%1").arg(n));
        m_eyes[i] = board->findChild<QLabel*>(QStringLiteral("image_eyes%1").arg(n));
        setTextColour(m_names[i], protocol::rgbColour(128, 0, 0));
        setTextColour(m_scores[i], protocol::rgbColour(128, 0, 0));
        m_eyes[i]->setPixmap(ui::picture(QStringLiteral("eyes"), {14, 12}));
    }
    m_ui.image_arrow->setPixmap(ui::picture(QStringLiteral("arrow"), {12, 12}));
    m_ui.memo_guessed->setMaximumBlockCount(kMaxGuessLines);
    m_ui.memo_myguessed->setMaximumBlockCount(kMaxGuessLines);

    QList<QPixmap> frames;
    for (int f = 1; f <= 5; ++f)
        frames.append(ui::picture(QStringLiteral("winner%1").arg(f), {120, 90}));
    m_ui.image_winner->setFrames(frames);

    for (int c = 0; c < 7; ++c) {
        auto* button =
            m_ui.panel_pickcatagory->findChild<QToolButton*>(QStringLiteral("button_cat%1").arg(c));
        button->setProperty("tag", c);
        button->setIcon(QIcon(ui::picture(QStringLiteral("categorybutton%1").arg(c), {150, 28})));
        connect(button, &QToolButton::clicked, this, [this, c] { categoryClicked(c); });
    }

    // The answer line keeps its underscores apart, so the letters of a word can be counted.
    QFont answerFont = m_ui.label_answer->font();
    answerFont.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    m_ui.label_answer->setFont(answerFont);
    // The clock's bar: white time over maroon.
    m_ui.image_timer->setStyleSheet(QStringLiteral("background-color: rgb(128, 0, 0);"));
    m_ui.label_timer->setStyleSheet(QStringLiteral("color: white;"));
    m_ui.label_timer->raise();

    m_timer2.setInterval(1000);
    connect(&m_timer2, &QTimer::timeout, this, &GameDisplay::clockTick);
}

QLabel* GameDisplay::nameLabel(int slot) const
{
    return slot >= 1 && slot <= kRows ? m_names[static_cast<size_t>(slot)] : nullptr;
}

QLabel* GameDisplay::scoreLabel(int slot) const
{
    return slot >= 1 && slot <= kRows ? m_scores[static_cast<size_t>(slot)] : nullptr;
}

QLabel* GameDisplay::eyes(int slot) const
{
    return slot >= 1 && slot <= kRows ? m_eyes[static_cast<size_t>(slot)] : nullptr;
}

QString GameDisplay::rowName(int slot) const
{
    if (QLabel* label = nameLabel(slot))
        return label->text();
    // A spectator has no row; its name is in the spectator list.
    const QString prefix = QString::number(slot) + QStringLiteral(": ");
    for (const QString& entry : m_state.spectators) {
        if (entry.startsWith(prefix))
            return entry.mid(prefix.size());
    }
    return {};
}

void GameDisplay::setScore(int slot, qint32 score)
{
    if (QLabel* label = scoreLabel(slot))
        label->setText(QString::number(score));
}

void GameDisplay::playSound(const QByteArray& name)
{
    if (m_services.sounds && m_ui.PlaySounds1->isChecked())
        m_services.sounds->play(name);
}

void GameDisplay::showTurnTime(const QByteArray& field)
{
    qint32 seconds = kDefaultTurnSeconds;
    if (!protocol::tryToInt(field, seconds))
        seconds = kDefaultTurnSeconds;
    m_state.turnSeconds = seconds;
    m_ui.timeperturn->setText(QStringLiteral("Time Per Turn: ") +
                              DisplayClock::minutesAndSeconds(seconds));
}

QString GameDisplay::snapshotDate() const
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

void GameDisplay::restartClock(int seconds, DisplayClock::Mode mode)
{
    m_timer2.stop();
    m_clock.start(seconds, mode);
    m_timer2.start();
}

void GameDisplay::clockTick()
{
    m_clock.tick();
    showClock();
    if (!m_clock.running())
        m_timer2.stop();
}

void GameDisplay::showClock()
{
    m_ui.label_timer->setText(m_clock.text());
    const QRect bar = m_ui.image_timer->geometry();
    m_ui.image_timer->setGeometry(bar.x(), bar.y(), std::max(0, m_clock.barWidth()), bar.height());
}

void GameDisplay::hideWinner()
{
    m_ui.panel_winner1->hide();
    m_ui.image_winner->stop();
}

void GameDisplay::moveArrowTo(int slot)
{
    if (QLabel* label = nameLabel(slot))
        m_ui.image_arrow->move(m_ui.image_arrow->x(), label->y() + 2);
}

void GameDisplay::newPlayerInfo(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const QString name = fromWindows1252(r.rest());
    const bool mine = slot == m_state.mySlot;
    if (mine) {
        m_chat.addLine(QStringLiteral("You are Connected."), kNoticeColour);
        if (m_loadSettings)
            m_loadSettings();
    } else {
        m_chat.addLine(name + QStringLiteral(" is Connected."), kNoticeColour);
    }
    if (slot > kRows && slot <= kLastSlot) {
        // One entry per spectator's slot, however often the host announces it.
        const QString prefix = QString::number(slot) + QStringLiteral(": ");
        m_state.spectators.removeIf([&](const QString& e) { return e.startsWith(prefix); });
        m_state.spectators.append(prefix + name);
        m_chat.addLine(mine ? QStringLiteral("You are spying.")
                            : name + QStringLiteral(" is spying."),
                       kNoticeColour);
    } else if (QLabel* label = nameLabel(slot)) {
        label->setText(name);
        label->show();
        scoreLabel(slot)->show();
    }
    playSound("entered");
}

void GameDisplay::refreshPlayerList(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    if (QLabel* label = nameLabel(slot))
        label->setText(fromWindows1252(r.rest()));
}

void GameDisplay::startTheGame(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 starter = r.nextInt();
    const bool team = r.next() == "true";
    const QByteArray target = r.next();
    const QByteArray seconds = r.rest();

    m_timer2.stop();
    m_ui.label_adrawer->hide();
    m_ui.label_aguesser->hide();
    hideWinner();
    m_ui.panel_toolbar->hide();
    m_ui.panel_answer->hide();
    m_ui.button_pass->hide();
    m_ui.label_fullanswer->clear();
    m_ui.label_answer->clear();
    m_ui.label_turn->clear();
    m_ui.button_start->hide();
    m_ui.JustWatch1->setChecked(false);
    for (int n = 1; n <= kRows; ++n) {
        setScore(n, 0);
        eyes(n)->hide();
    }
    showTurnTime(seconds);
    m_ui.playtoscore->setText(QStringLiteral("Play to score: ") + fromWindows1252(target));

    // In a team game odd seats play for the Black Team, even seats for the Maroon Team.
    m_ui.JustWatch1->setEnabled(!team);
    const protocol::ColourValue odd = team ? protocol::kBlack : protocol::rgbColour(128, 0, 0);
    for (int n = 1; n <= kRows; n += 2) {
        setTextColour(nameLabel(n), odd);
        setTextColour(scoreLabel(n), odd);
    }
    m_chat.addLine(
        rowName(starter) + QStringLiteral(" has ") +
            (team ? QStringLiteral("started a TEAM game.") : QStringLiteral("started a game.")),
        kGameColour);
}

void GameDisplay::pickCategory(const QByteArray& payload)
{
    const qint32 slot = protocol::toInt(payload);
    hideWinner();
    // Release every category button (an exclusive group never lets go of its last one).
    for (QAbstractButton* button : m_ui.panel_pickcatagory->findChildren<QToolButton*>()) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    m_state.currentDrawer = slot;
    moveArrowTo(slot);
    if (slot == m_state.mySlot) {
        playSound("turn");
        m_ui.label_pickcatagory->setText(QStringLiteral("Your turn to"));
        m_ui.label_pickcatagory1->setText(QStringLiteral("choose a catagory"));
        m_ui.panel_pickcatagory->show();
        m_ui.panel_pickcatagory->raise();
    }
    restartClock(kPauseSeconds, DisplayClock::Mode::Pause);
}

void GameDisplay::categoryClicked(int category)
{
    if (m_state.mySlot != m_state.currentDrawer) {
        QAbstractButton* button = m_ui.panel_pickcatagory->findChild<QToolButton*>(
            QStringLiteral("button_cat%1").arg(category));
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
        return;
    }
    if (m_state.connected && m_sendCategory)
        m_sendCategory(category);
}

void GameDisplay::getNextPlayer(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 drawer = r.nextInt();
    const qint32 category = r.nextInt();
    const QString mask = fromWindows1252(r.rest());

    hideWinner();
    m_ui.label_fullanswer->clear();
    m_ui.memo_guessed->clear();
    m_ui.memo_myguessed->clear();
    m_state.snapshotCaption.clear();
    m_ui.panel_pickcatagory->hide();
    m_ui.image_main->wipe();

    m_state.currentDrawer = drawer;
    playSound("cat" + QByteArray::number(category));

    m_ui.label_adrawer->hide();
    m_ui.label_aguesser->hide();
    if (QLabel* row = nameLabel(drawer))
        m_ui.label_adrawer->move(m_ui.label_adrawer->x(), row->y());
    m_ui.label_adrawer->setText(QStringLiteral("+1"));
    // The guesser's tag shows what the host awards: two points in every category.
    m_ui.label_aguesser->setText(QStringLiteral("+2"));

    m_ui.image_cat->setPixmap(
        category >= 0 && category <= 6
            ? ui::picture(QStringLiteral("category%1").arg(category), {100, 15})
            : QPixmap());
    m_ui.label_answer->setText(mask);
    m_ui.ColorButton->setColour(protocol::kBlack);
    m_ui.penw->setText(QStringLiteral("3"));

    if (drawer == m_state.mySlot) {
        m_ui.label_turn->setText(QStringLiteral("Your turn to draw"));
        m_ui.label_fullanswer->show();
        m_ui.panel_toolbar->show();
        m_ui.panel_answer->hide();
        m_ui.button_pass->show();
        moveArrowTo(m_state.mySlot);
    } else {
        m_ui.label_turn->setText(rowName(drawer) + QStringLiteral("'s turn to draw."));
        m_ui.label_fullanswer->hide();
        m_ui.panel_toolbar->hide();
        m_ui.panel_answer->show();
        // Spectators watch the guesses but cannot guess.
        const bool player = m_state.mySlot <= kRows;
        m_ui.edit_answer->setVisible(player);
        m_ui.label_typeanswers->setVisible(player);
        m_ui.button_pass->hide();
    }

    // The turn counts down from the time the host announced for this game; a window that
    // joined without hearing it (none so far) falls back to its own dialog's value.
    qint32 seconds = m_state.turnSeconds;
    if (seconds <= 0 &&
        (!m_services.sideWindows ||
         !protocol::tryToInt(m_services.sideWindows->timePerTurnText().toLatin1(), seconds)))
        seconds = kDefaultTurnSeconds;
    m_clock.start(seconds, DisplayClock::Mode::Drawing);
    if (!m_timer2.isActive())
        m_timer2.start();
}

void GameDisplay::updateAnswer(const QByteArray& payload)
{
    FieldReader r(payload);
    const QByteArray flag = r.next();
    const QString answer = fromWindows1252(r.rest());
    if (flag == "true") {
        playSound("noanswer");
        m_chat.addLine(QStringLiteral("No one guessed!"), kNoticeColour);
        m_state.snapshotCaption = snapshotDate() + QStringLiteral(": ") +
                                  rowName(m_state.currentDrawer) + QLatin1Char('-') + answer;
        m_state.currentDrawer = 0;
        m_ui.panel_answer->hide();
        restartClock(kPauseSeconds, DisplayClock::Mode::Pause);
    }
    m_ui.label_answer->setText(answer);
}

void GameDisplay::correctAnswer(const QByteArray& payload)
{
    const int drawerNoted = m_state.currentDrawer;
    m_state.snapshotCaption =
        snapshotDate() + QStringLiteral(": ") + rowName(drawerNoted) + QLatin1Char('-');
    restartClock(kPauseSeconds, DisplayClock::Mode::Pause);
    m_state.currentDrawer = 0;
    m_ui.panel_answer->hide();

    FieldReader r(payload);
    const qint32 guesser = r.nextInt();
    setScore(guesser, r.nextInt());
    const qint32 drawer = r.nextInt();
    setScore(drawer, r.nextInt());
    const QString answer = fromWindows1252(r.rest());

    m_chat.addLine(rowName(guesser) + QStringLiteral(" has guessed the answer!"), kNoticeColour);
    if (m_state.mySlot == guesser || m_state.mySlot == drawerNoted)
        playSound("correct");
    if (QLabel* row = nameLabel(guesser))
        m_ui.label_aguesser->move(m_ui.label_aguesser->x(), row->y());
    m_ui.label_adrawer->show();
    m_ui.label_aguesser->show();
    m_ui.label_answer->setText(answer);
    m_state.snapshotCaption += answer;
}

void GameDisplay::winner(const QByteArray& payload)
{
    const QString name = fromWindows1252(payload);
    playSound("gameover");
    m_chat.addLine(name + QStringLiteral(" has Won the Game!"), kNoticeColour);
    m_ui.label_winner->setText(name);
    m_ui.panel_winner1->show();
    m_ui.panel_winner1->raise();
    m_ui.image_winner->start();
    if (m_state.hosting) {
        m_ui.button_start->show();
        m_ui.StartGame1->setEnabled(true);
    }
}

void GameDisplay::playerDisconnected(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const QString name = fromWindows1252(r.rest());
    if (slot == m_state.mySlot) {
        m_state.connected = false;
        if (m_closeWindow)
            m_closeWindow();
    }
    if (QLabel* label = nameLabel(slot)) {
        if (label->text() != kWaiting) {
            m_chat.addLine(label->text() + QStringLiteral(" disconnected."), kNoticeColour);
            label->setText(kWaiting);
            eyes(slot)->hide();
        }
    }
    const QString entry = QString::number(slot) + QStringLiteral(": ") + name;
    if (m_state.spectators.removeAll(entry) > 0)
        m_chat.addLine(name + QStringLiteral(" has left."), kNoticeColour);
}

void GameDisplay::justWatching(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    if (slot > kRows || slot < 1)
        return;
    const bool watching = r.rest() == "1";
    if (slot == m_state.mySlot)
        m_ui.JustWatch1->setChecked(watching);
    m_chat.addLine(rowName(slot) + (watching ? QStringLiteral(" is just watching")
                                             : QStringLiteral(" now playing again")),
                   kGameColour);
    eyes(slot)->setVisible(watching);
}

void GameDisplay::teamScore(const QByteArray& payload)
{
    FieldReader r(payload);
    const QList<qint32> scores = r.restIntegerList();
    for (int n = 1; n <= std::min<int>(kRows, static_cast<int>(scores.size())); ++n)
        setScore(n, scores[n - 1]);
}

void GameDisplay::gameStats(const QByteArray& payload)
{
    FieldReader r(payload);
    m_ui.playtoscore->setText(QStringLiteral("Play to Score: ") + fromWindows1252(r.next()));
    showTurnTime(r.next());
    const QList<qint32> scores = r.restIntegerList();
    for (int n = 1; n <= std::min<int>(kRows, static_cast<int>(scores.size())); ++n)
        setScore(n, scores[n - 1]);
}

void GameDisplay::giveDrawerAnswer(const QByteArray& payload)
{
    m_ui.label_fullanswer->setText(fromWindows1252(payload));
}

void GameDisplay::guessed(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    m_ui.memo_guessed->appendPlainText(rowName(slot) + QStringLiteral(" guessed: ") +
                                       fromWindows1252(r.rest()));
}

void GameDisplay::myGuessed(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    m_ui.memo_myguessed->appendPlainText(rowName(slot) + QStringLiteral(" answered: ") +
                                         fromWindows1252(r.rest()));
}

void GameDisplay::veryClose(const QByteArray& payload)
{
    FieldReader r(payload);
    if (r.nextInt() != m_state.mySlot)
        return;
    m_ui.memo_myguessed->appendPlainText(fromWindows1252(r.next()) +
                                         QStringLiteral(" is a good guess."));
}

void GameDisplay::passed(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const qint32 score = r.restInt();
    playSound("pass");
    setScore(slot, score);
    m_chat.addLine(rowName(slot) + QStringLiteral(" has bought a different phrase for one point."),
                   kNoticeColour);
}

} // namespace client
