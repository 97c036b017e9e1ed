#include "client/scoreboard.h"

#include "client/roster.h"
#include "protocol/colour.h"
#include "ui/colours.h"
#include "ui/pictures.h"

#include "ui_scoreboard.h"

#include <QMenu>

namespace client {

namespace {

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

ScoreBoard::ScoreBoard(QWidget* parent) : QFrame(parent), m_ui(std::make_unique<Ui::ScoreBoard>())
{
    m_ui->setupUi(this);
    const QColor maroon = ui::toQColor(protocol::kMaroon);
    for (int n = 1; n <= seats::kRows; ++n) {
        const auto i = static_cast<size_t>(n);
        m_names[i] = findChild<QLabel*>(QStringLiteral("label_playername%1").arg(n));
        m_scores[i] = findChild<QLabel*>(QStringLiteral("label_score%1").arg(n));
        m_eyes[i] = findChild<QLabel*>(QStringLiteral("image_eyes%1").arg(n));
        m_eyes[i]->setPixmap(ui::picture(QStringLiteral("eyes"), {14, 12}));
        setRowColour(n, maroon);
    }
    m_ui->image_arrow->setPixmap(ui::picture(QStringLiteral("arrow"), {12, 12}));

    // Rows 2 to 10 have a context menu; row 1 is the host's own and has none.
    for (int n = 2; n <= seats::kRows; ++n) {
        QLabel* label = nameLabel(n);
        label->setProperty("tag", n);
        connect(label, &QLabel::customContextMenuRequested, this,
                [this, label, n](QPoint at) { rowMenu(n)->exec(label->mapToGlobal(at)); });
    }
}

ScoreBoard::~ScoreBoard() = default;

QLabel* ScoreBoard::nameLabel(int slot) const
{
    return seats::hasRow(slot) ? m_names[static_cast<size_t>(slot)] : nullptr;
}

void ScoreBoard::follow(const Roster& roster)
{
    m_roster = &roster;
    connect(&roster, &Roster::rowChanged, this, &ScoreBoard::showRow);
    for (int n = 1; n <= seats::kRows; ++n)
        showRow(n);
}

void ScoreBoard::showRow(int slot)
{
    if (!m_roster || !seats::hasRow(slot))
        return;
    const auto i = static_cast<size_t>(slot);
    m_names[i]->setText(m_roster->rowName(slot));
    m_scores[i]->setText(QString::number(m_roster->score(slot)));
    m_eyes[i]->setVisible(m_roster->watching(slot));
}

void ScoreBoard::setRowColour(int slot, const QColor& colour)
{
    setTextColour(m_names[static_cast<size_t>(slot)], colour);
    setTextColour(m_scores[static_cast<size_t>(slot)], colour);
}

void ScoreBoard::pointTo(int slot)
{
    if (QLabel* row = nameLabel(slot))
        m_ui->image_arrow->move(m_ui->image_arrow->x(), row->y() + 2);
}

void ScoreBoard::startGame(bool team)
{
    m_ui->label_adrawer->hide();
    m_ui->label_aguesser->hide();
    m_ui->label_turn->clear();
    // In a team game odd seats play for the Black Team, even seats for the Maroon Team.
    const QColor odd = ui::toQColor(team ? protocol::kBlack : protocol::kMaroon);
    for (int n = 1; n <= seats::kRows; n += 2)
        setRowColour(n, odd);
}

void ScoreBoard::startTurn(int drawer, int mySlot)
{
    m_ui->label_adrawer->hide();
    m_ui->label_aguesser->hide();
    if (QLabel* row = nameLabel(drawer))
        m_ui->label_adrawer->move(m_ui->label_adrawer->x(), row->y());
    m_ui->label_adrawer->setText(QStringLiteral("+1"));
    // The guesser's tag shows what the host awards: two points in every category.
    m_ui->label_aguesser->setText(QStringLiteral("+2"));
    if (drawer == mySlot) {
        m_ui->label_turn->setText(QStringLiteral("Your turn to draw"));
        pointTo(mySlot);
    } else {
        const QString name = m_roster ? m_roster->rowName(drawer) : QString();
        m_ui->label_turn->setText(name + QStringLiteral("'s turn to draw."));
    }
}

void ScoreBoard::showPointTags(int guesser)
{
    if (QLabel* row = nameLabel(guesser))
        m_ui->label_aguesser->move(m_ui->label_aguesser->x(), row->y());
    m_ui->label_adrawer->show();
    m_ui->label_aguesser->show();
}

std::unique_ptr<QMenu> ScoreBoard::rowMenu(int row)
{
    auto popup_Kick = std::make_unique<QMenu>(this);
    popup_Kick->setObjectName(QStringLiteral("popup_Kick"));
    popup_Kick->setProperty("tag", row);
    QAction* remove = popup_Kick->addAction(QStringLiteral("Remove From Game"));
    remove->setObjectName(QStringLiteral("removefromgame1"));
    popup_Kick->addSeparator();
    QAction* set = popup_Kick->addAction(QStringLiteral("Set to Just Watch"));
    set->setObjectName(QStringLiteral("SettoJustWatch1"));
    QAction* unset = popup_Kick->addAction(QStringLiteral("Unset Just Watch"));
    unset->setObjectName(QStringLiteral("UnsetJustWatch1"));
    // Only the hosting window may act on other players.
    for (QAction* a : {remove, set, unset})
        a->setEnabled(m_hosting);
    if (m_roster && !m_roster->taken(row))
        remove->setEnabled(false);
    connect(remove, &QAction::triggered, this, [this, row] { Q_EMIT removeRequested(row); });
    connect(set, &QAction::triggered, this, [this, row] { Q_EMIT watchRequested(row, true); });
    connect(unset, &QAction::triggered, this, [this, row] { Q_EMIT watchRequested(row, false); });
    return popup_Kick;
}

} // namespace client
