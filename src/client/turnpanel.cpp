#include "client/turnpanel.h"

#include "client/clientconnection.h"
#include "client/roster.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/windows1252.h"
#include "ui/animatedimage.h"
#include "ui/pictures.h"

#include <QAbstractButton>
#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

namespace client {

using protocol::FieldReader;
using protocol::fromWindows1252;

namespace {
constexpr int kPauseSeconds = 10;
constexpr int kDefaultTurnSeconds = 120;
constexpr int kCategories = 7;
constexpr int kClockBarWidth = 100; // the bar at its fullest, as designed
} // namespace

TurnPanel::TurnPanel(const Widgets& widgets, ClientState& state, const Roster& roster,
                     ChatView& chat, const EventSounds& sounds, const Services& services,
                     ClientConnection& connection, QObject* parent)
    : QObject(parent), m_w(widgets), m_state(state), m_roster(roster), m_chat(chat),
      m_sounds(sounds), m_services(services), m_connection(connection)
{
    QList<QPixmap> frames;
    for (int f = 1; f <= 5; ++f)
        frames.append(ui::picture(QStringLiteral("winner%1").arg(f), {120, 90}));
    m_w.winnerAnimation->setFrames(frames);

    for (int c = 0; c < kCategories; ++c) {
        QAbstractButton* button = m_w.categories[static_cast<size_t>(c)];
        button->setProperty("tag", c);
        button->setIcon(QIcon(ui::picture(QStringLiteral("categorybutton%1").arg(c), {150, 28})));
        connect(button, &QAbstractButton::clicked, this, [this, c] { categoryClicked(c); });
    }

    // The answer line keeps its underscores apart, so the letters of a word can be counted.
    QFont answerFont = m_w.answer->font();
    answerFont.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    m_w.answer->setFont(answerFont);
    // The clock's bar: white time over maroon.
    m_w.clockBar->setStyleSheet(QStringLiteral("background-color: rgb(128, 0, 0);"));
    m_w.clockText->setStyleSheet(QStringLiteral("color: white;"));
    m_w.clockText->raise();
    m_w.pass->setIcon(QIcon(ui::picture(QStringLiteral("pass"), {16, 16})));

    connect(m_w.start, &QPushButton::clicked, this, &TurnPanel::startClicked);
    connect(m_w.pass, &QPushButton::clicked, this, &TurnPanel::passClick);
    m_timer2.setInterval(1000);
    connect(&m_timer2, &QTimer::timeout, this, &TurnPanel::timer2Timer);
}

QString TurnPanel::today()
{
    // The locale's short date, in numbers only: a short form that spells the month or the
    // day (the C locale's "d MMM yyyy") gives way to the ISO date.
    const QLocale locale = QLocale::system();
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    if (format.contains(QStringLiteral("MMM")) || format.contains(QStringLiteral("ddd")))
        return QDate::currentDate().toString(Qt::ISODate);
    return locale.toString(QDate::currentDate(), format);
}

void TurnPanel::showTurnTime(const QByteArray& field)
{
    qint32 seconds = kDefaultTurnSeconds;
    if (!protocol::tryToInt(field, seconds))
        seconds = kDefaultTurnSeconds;
    m_turnSeconds = seconds;
    m_w.timePerTurn->setText(QStringLiteral("Time Per Turn: ") +
                             DisplayClock::minutesAndSeconds(seconds));
}

void TurnPanel::restartClock(int seconds, DisplayClock::Mode mode)
{
    m_timer2.stop();
    m_clock.start(seconds, mode);
    startTimer2();
}

void TurnPanel::startTimer2()
{
    m_timer2.start();
    m_sinceTimer2.start();
}

void TurnPanel::timer2Timer()
{
    // A window that could not run for a while (stopped, suspended, too busy) gets one late
    // timeout for all the seconds it missed: they are all counted, so its clock shows the
    // time the host has left instead of running late for the rest of the turn. (A timeout
    // a little late is followed by one a little early: each counts one second.)
    const qint64 seconds = std::max<qint64>(1, m_sinceTimer2.restart() / 1000);
    for (qint64 n = 0; n < seconds && m_timer2.isActive(); ++n)
        clockTick();
}

void TurnPanel::clockTick()
{
    m_clock.tick();
    showClock();
    if (!m_clock.running())
        m_timer2.stop();
}

void TurnPanel::showClock()
{
    m_w.clockText->setText(m_clock.text());
    // The bar runs under the clock's text, which is kClockBarWidth wide as designed and
    // grows with the window.
    const QRect bar = m_w.clockBar->geometry();
    const int width = std::max(0, m_clock.barWidth()) * m_w.clockText->width() / kClockBarWidth;
    m_w.clockBar->setGeometry(bar.x(), bar.y(), width, bar.height());
}

void TurnPanel::hideWinner()
{
    m_w.winnerPanel->hide();
    m_w.winnerAnimation->stop();
}

void TurnPanel::releaseCategoryButtons()
{
    // An exclusive group never lets go of its last button on its own.
    for (QAbstractButton* button : m_w.categories) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void TurnPanel::categoryClicked(int category)
{
    if (m_state.mySlot != m_state.currentDrawer) {
        QAbstractButton* button = m_w.categories[static_cast<size_t>(category)];
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
        return;
    }
    if (m_state.connected)
        Q_EMIT categoryChosen(category);
}

void TurnPanel::hidePass()
{
    m_w.pass->hide();
}

void TurnPanel::passClick()
{
    if (m_state.mySlot == m_state.currentDrawer && m_state.connected)
        m_connection.send(protocol::MessageId::Pass, {m_state.mySlot});
    // A drawer passes once per turn.
    m_w.pass->hide();
}

bool TurnPanel::startTheGame(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 starter = r.nextInt();
    const bool team = r.next() == "true";
    const QByteArray target = r.next();
    const QByteArray seconds = r.rest();

    m_gameRunning = true;
    m_timer2.stop();
    hideWinner();
    m_w.pass->hide();
    m_w.fullAnswer->clear();
    m_w.answer->clear();
    m_w.start->hide();
    showTurnTime(seconds);
    m_w.playToScore->setText(QStringLiteral("Play to score: ") + fromWindows1252(target));
    m_chat.addLine(
        m_roster.rowName(starter) + QStringLiteral(" has ") +
            (team ? QStringLiteral("started a TEAM game.") : QStringLiteral("started a game.")),
        kGameColour);
    return team;
}

int TurnPanel::pickCategory(const QByteArray& payload)
{
    const qint32 slot = protocol::toInt(payload);
    hideWinner();
    releaseCategoryButtons();
    m_state.currentDrawer = slot;
    if (slot == m_state.mySlot) {
        m_sounds.play("turn");
        m_w.chooserLine1->setText(QStringLiteral("Your turn to"));
        m_w.chooserLine2->setText(QStringLiteral("choose a catagory"));
        m_w.chooser->show();
        m_w.chooser->raise();
    }
    restartClock(kPauseSeconds, DisplayClock::Mode::Pause);
    return slot;
}

int TurnPanel::nextPlayer(const QByteArray& payload)
{
    FieldReader r(payload);
    const qint32 drawer = r.nextInt();
    const qint32 category = r.nextInt();
    const QString mask = fromWindows1252(r.rest());

    hideWinner();
    m_w.fullAnswer->clear();
    m_snapshotCaption.clear();
    m_w.chooser->hide();
    m_state.currentDrawer = drawer;
    m_sounds.play("cat" + QByteArray::number(category));
    m_w.categoryPicture->setPixmap(
        category >= 0 && category < kCategories
            ? ui::picture(QStringLiteral("category%1").arg(category), {100, 15})
            : QPixmap());
    m_w.answer->setText(mask);
    const bool mine = drawer == m_state.mySlot;
    m_w.fullAnswer->setVisible(mine);
    m_w.pass->setVisible(mine);

    // The turn counts down from the time the host announced for this game; a window that
    // has not heard it yet (a newcomer, whose summary follows) starts from its own dialog's.
    qint32 seconds = m_turnSeconds;
    if (seconds <= 0 &&
        (!m_services.sideWindows ||
         !protocol::tryToInt(m_services.sideWindows->timePerTurnText().toLatin1(), seconds)))
        seconds = kDefaultTurnSeconds;
    m_clock.start(seconds, DisplayClock::Mode::Drawing);
    if (!m_timer2.isActive())
        startTimer2();
    return drawer;
}

void TurnPanel::turnEnded(const QString& drawerName)
{
    m_snapshotCaption = today() + QStringLiteral(": ") + drawerName + QLatin1Char('-');
    m_state.currentDrawer = 0;
    restartClock(kPauseSeconds, DisplayClock::Mode::Pause);
}

bool TurnPanel::updateAnswer(const QByteArray& payload)
{
    FieldReader r(payload);
    const bool ended = r.next() == "true";
    const QString answer = fromWindows1252(r.rest());
    if (ended) {
        m_sounds.play("noanswer");
        m_chat.addLine(QStringLiteral("No one guessed!"), kNoticeColour);
        m_revealed = {answer, m_roster.rowName(m_state.currentDrawer), QString()};
        turnEnded(m_revealed.drawer);
        m_snapshotCaption += answer;
    }
    m_w.answer->setText(answer);
    return ended;
}

int TurnPanel::correctAnswer(const QByteArray& payload)
{
    const int drawerNoted = m_state.currentDrawer;
    turnEnded(m_roster.rowName(drawerNoted));

    FieldReader r(payload);
    const qint32 guesser = r.nextInt();
    r.drop(); // the scores are the roster's
    r.drop();
    r.drop();
    const QString answer = fromWindows1252(r.rest());

    m_chat.addLine(m_roster.rowName(guesser) + QStringLiteral(" has guessed the answer!"),
                   kNoticeColour);
    if (m_state.mySlot == guesser || m_state.mySlot == drawerNoted)
        m_sounds.play("correct");
    m_w.answer->setText(answer);
    m_snapshotCaption += answer;
    m_revealed = {answer, m_roster.rowName(drawerNoted), m_roster.rowName(guesser)};
    return guesser;
}

void TurnPanel::winner(const QByteArray& payload)
{
    const QString name = fromWindows1252(payload);
    m_sounds.play("gameover");
    m_chat.addLine(name + QStringLiteral(" has Won the Game!"), kNoticeColour);
    m_w.winnerName->setText(name);
    m_w.winnerPanel->show();
    m_w.winnerPanel->raise();
    m_w.winnerAnimation->start();
    m_gameRunning = false;
    if (m_state.leadsTable()) {
        m_w.start->show();
        Q_EMIT gameOver();
    }
}

void TurnPanel::passed(const QByteArray& payload)
{
    const qint32 slot = FieldReader(payload).nextInt();
    m_sounds.play("pass");
    // A spectator taking a turn has no row; the notice names its slot then.
    QString name = m_roster.rowName(slot);
    if (name.isEmpty())
        name = QStringLiteral("Slot %1").arg(slot);
    m_chat.addLine(name + QStringLiteral(" has bought a different phrase for one point."),
                   kNoticeColour);
}

void TurnPanel::startDismissed()
{
    if (m_state.leadsTable() && !m_gameRunning)
        m_w.start->show();
}

void TurnPanel::gameStats(const QByteArray& payload)
{
    FieldReader r(payload);
    m_w.playToScore->setText(QStringLiteral("Play to Score: ") + fromWindows1252(r.next()));
    showTurnTime(r.next());
    // The summary goes to a newcomer of a game in progress, which CMD_startgame would have
    // hidden the start button for.
    m_gameRunning = true;
    m_w.start->hide();
    // The summary follows the turn's start for a newcomer: its clock counts from the
    // announced time, not from its own dialog's.
    if (m_clock.running() && m_clock.mode() == DisplayClock::Mode::Drawing)
        m_clock.start(m_turnSeconds, DisplayClock::Mode::Drawing);
}

void TurnPanel::updateTime(const QByteArray& payload)
{
    m_clock.followHost(protocol::toInt(payload));
    showClock();
    // The next second is counted a second after the host's, not after an older tick.
    if (m_clock.running())
        startTimer2();
}

void TurnPanel::giveDrawerAnswer(const QByteArray& payload)
{
    m_w.fullAnswer->setText(fromWindows1252(payload));
}

} // namespace client
