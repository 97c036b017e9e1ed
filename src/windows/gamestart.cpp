#include "windows/gamestart.h"

#include "ui_gamestart.h"

namespace windows {

GameStartDialog::GameStartDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Tgamestartform>())
{
    // The .ui gives the background its colour, $78989C (red 156, green 152, blue 120).
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(size());
    ui_->UpDown1->setBuddy(ui_->playtoscore);
    ui_->UpDown2->setBuddy(ui_->timeperturn);
    connect(ui_->FlatButton1, &QPushButton::clicked, this, &GameStartDialog::startGame);
}

GameStartDialog::~GameStartDialog() = default;

QString GameStartDialog::playToScoreText() const
{
    return ui_->playtoscore->text();
}

QString GameStartDialog::timePerTurnText() const
{
    return ui_->timeperturn->text();
}

bool GameStartDialog::isTeamGame() const
{
    return ui_->team->isChecked();
}

void GameStartDialog::startGame()
{
    if (handler_)
        handler_(isTeamGame(), playToScoreText(), timePerTurnText());
    hide();
}

} // namespace windows
