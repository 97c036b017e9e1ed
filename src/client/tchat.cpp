#include "client/tchat.h"

#include "client/chattersounds.h"
#include "client/settingsfile.h"
#include "client/windowgeometry.h"
#include "host/hostserver.h"
#include "protocol/conversion.h"
#include "protocol/fieldreader.h"
#include "protocol/lobby.h"
#include "protocol/version.h"
#include "protocol/windows1252.h"
#include "ui/colourbutton.h"
#include "ui/colours.h"
#include "ui/pictures.h"

#include "ui_tchat.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QMenu>
#include <QScreen>
#include <QTimer>

namespace client {

using protocol::MessageId;

namespace {
constexpr protocol::ColourValue kMaroon = protocol::rgbColour(128, 0, 0);
const QString kWaiting = QStringLiteral("<Waiting>");
} // namespace

Tchat::Tchat(Services services, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::Tchat>()), m_services(services)
{
    m_ui->setupUi(this);
    // Names, phrases and notices come from the wire: every label shows its text exactly as
    // it came, never as markup (a name like <img src=...> would load whatever it names).
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    m_chat = std::make_unique<ChatView>(m_ui->mainchat);
    m_connection = new ClientConnection(*this, this);
    m_display = new GameDisplay(*m_ui, m_state, *m_chat, m_services, this);

    // The window's own look: khaki, with the tiled background picture.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ui::toQColor(GameDisplay::kNoticeColour));
    palette.setBrush(QPalette::Window, QBrush(ui::toQColor(GameDisplay::kNoticeColour),
                                              ui::picture(QStringLiteral("background"), {64, 64})));
    m_ui->centralwidget->setAutoFillBackground(true);
    m_ui->centralwidget->setPalette(palette);
    m_ui->centralwidget->setMinimumSize(kMinimumClientSize);
    setWindowIcon(QIcon(ui::picture(QStringLiteral("icon"), {64, 64})));
    m_ui->clear->setIcon(QIcon(ui::picture(QStringLiteral("trash"), {24, 24})));
    m_ui->button_pass->setIcon(QIcon(ui::picture(QStringLiteral("pass"), {16, 16})));
    for (int k = 1; k <= 9; ++k) {
        auto* button = findChild<QToolButton*>(QStringLiteral("b_phrase%1").arg(k));
        button->setIcon(QIcon(ui::picture(QStringLiteral("phrase"), {25, 19})));
    }
    m_ui->b_phrase10->setIcon(QIcon(ui::picture(QStringLiteral("sounds"), {25, 19})));
    m_ui->UpDown1->setRange(0, 100);
    m_ui->UpDown1->setSingleStep(1);
    m_ui->UpDown1->setValue(3);
    m_ui->UpDown1->setBuddy(m_ui->penw);

    m_display->setLoadSettings([this] { loadinifile(); });
    m_display->setSendCategory([this](int category) {
        m_connection->send(MessageId::PickCategoryToHost, {m_state.mySlot, category});
    });
    m_display->setCloseWindow([this] { closeSoon(); });

    connect(m_connection, &ClientConnection::closed, this, &Tchat::closeSoon);
    setUpMenus();
    setUpRowMenus();
}

Tchat::~Tchat() = default;

void Tchat::setUpMenus()
{
    connect(m_ui->button_start, &QPushButton::clicked, this, &Tchat::buttonStartClick);
    connect(m_ui->StartGame1, &QAction::triggered, this, &Tchat::buttonStartClick);
    connect(m_ui->Exit1, &QAction::triggered, this, &QWidget::close);
    connect(m_ui->PlaySounds1, &QAction::triggered, this, &Tchat::saveinifile);
    connect(m_ui->PlayChatterSounds1, &QAction::triggered, this, &Tchat::saveinifile);
    for (QAction* size : {m_ui->N8, m_ui->N10, m_ui->N12, m_ui->N14}) {
        connect(size, &QAction::triggered, this, [this, size](bool checked) {
            // The tick marks show the size the settings were loaded with; a choice here
            // changes the size only.
            size->setChecked(!checked);
            QFont font = m_ui->mainchat->font();
            font.setPointSize(size->text().toInt());
            m_ui->mainchat->setFont(font);
            saveinifile();
        });
    }
    connect(m_ui->TextColor1, &QAction::triggered, this, [this] {
        const QColor chosen = QColorDialog::getColor(ui::toQColor(m_textColour), this);
        if (chosen.isValid()) {
            m_textColour = ui::fromQColor(chosen);
            QPalette palette = m_ui->mychat->palette();
            palette.setColor(QPalette::Text, chosen);
            m_ui->mychat->setPalette(palette);
        }
        saveinifile();
    });
    connect(m_ui->ActionColor1, &QAction::triggered, this, [this] {
        const QColor chosen = QColorDialog::getColor(ui::toQColor(m_actionColour), this);
        if (chosen.isValid())
            m_actionColour = ui::fromQColor(chosen);
    });
    connect(m_ui->ScrollChatOff1, &QAction::toggled, this,
            [this](bool on) { m_chat->setScrollLocked(on); });
    connect(m_ui->ClearMainChat1, &QAction::triggered, m_ui->mainchat, &QTextEdit::clear);
    connect(m_ui->ResetScreenLocation1, &QAction::triggered, this, [this] {
        setGeometry(kDefaultGeometry.left, kDefaultGeometry.top, kDefaultGeometry.width,
                    kDefaultGeometry.height);
    });
    connect(m_ui->JustWatch1, &QAction::triggered, this, [this](bool checked) {
        // The tick follows the host's answer, not the click.
        m_ui->JustWatch1->setChecked(!checked);
        if (m_state.mySlot <= GameDisplay::kRows && m_state.connected) {
            m_connection->send(MessageId::JustWatch,
                               {m_state.mySlot, QByteArray(checked ? "1" : "2")});
        }
    });
    connect(m_ui->Contents1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showHelp();
    });
    connect(m_ui->About1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showAbout();
    });
}

void Tchat::setUpRowMenus()
{
    // Rows 2 to 10 have a context menu; row 1 is the host's own and has none.
    for (int row = 2; row <= GameDisplay::kRows; ++row) {
        auto* label = findChild<QLabel*>(QStringLiteral("label_playername%1").arg(row));
        label->setProperty("tag", row);
        connect(label, &QLabel::customContextMenuRequested, this, [this, label, row](QPoint at) {
            std::unique_ptr<QMenu> menu = rowMenu(row);
            QAction* chosen = menu->exec(label->mapToGlobal(at));
            if (!chosen)
                return;
            if (chosen->objectName() == QLatin1String("removefromgame1"))
                kicking(row);
            else if (m_state.connected)
                m_connection->send(
                    MessageId::JustWatch,
                    {row,
                     QByteArray(chosen->objectName() == QLatin1String("SettoJustWatch1") ? "1"
                                                                                         : "2")});
        });
    }
}

std::unique_ptr<QMenu> Tchat::rowMenu(int row)
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
        a->setEnabled(m_state.hosting);
    if (m_display->rowName(row) == kWaiting)
        remove->setEnabled(false);
    return popup_Kick;
}

void Tchat::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // Carried out once the window is on screen, as an event of its own.
    QTimer::singleShot(0, this, [this] { processParams(m_arguments); });
}

void Tchat::closeEvent(QCloseEvent* event)
{
    const QRect g = geometry();
    const Geometry now{g.x(), g.y(), g.width(), g.height()};
    const QRect workArea = screen() ? screen()->availableGeometry() : QRect();
    if (const auto store = geometryToStore(now, m_rememberedGeometry, workArea)) {
        resize(store->width, store->height);
        m_rememberedGeometry = *store;
        saveinifile();
    }
    event->accept();
}

void Tchat::closeSoon()
{
    // Never inside a handler: the current event finishes first.
    QTimer::singleShot(0, this, &QWidget::close);
}

void Tchat::inform(const QString& text)
{
    // One box at a time, and nothing is drained while it is open.
    if (m_informing || !m_services.dialogs)
        return;
    m_informing = true;
    m_connection->setPaused(true);
    m_services.dialogs->inform(text);
    m_connection->setPaused(false);
    m_informing = false;
}

void Tchat::addlinetochat(const QString& line, protocol::ColourValue colour)
{
    m_chat->addLine(line, colour);
}

void Tchat::processParams(const QStringList& arguments)
{
    m_ui->button_start->hide();
    m_ui->StartGame1->setEnabled(false);
    m_state.loginName.clear();
    const protocol::lobby::CommandLine line = protocol::lobby::readCommandLine(arguments);
    using Mode = protocol::lobby::CommandLine::Mode;
    try {
        if (line.mode == Mode::Solo) {
            addlinetochat(QStringLiteral("Loading Solo Game..Please wait."),
                          GameDisplay::kNoticeColour);
            m_state.hostAddress = QString::fromLatin1(protocol::lobby::kLoopbackAddress);
            m_state.playerName = "You";
            m_state.solo = true;
            hostpress();
            return;
        }
        addlinetochat(QStringLiteral("Loading Multi-player Game.. Please Wait."),
                      GameDisplay::kNoticeColour);
        if (line.mode == Mode::Waiting)
            return;
        m_state.playerName = protocol::toWindows1252(line.playerName);
        m_state.hostAddress = arguments.at(1);
        if (line.mode == Mode::Host)
            hostpress();
        else
            joinpress();
        m_connection->openLobbyLink();
    } catch (const net::ESockException& e) {
        inform(QString::fromLatin1(e.what()));
    }
}

void Tchat::hostpress()
{
    if (m_services.host) {
        m_services.host->setSolo(m_state.solo);
        m_services.host->start();
    }
    m_state.loginName = m_state.playerName;
    m_state.hosting = true;
    m_connection->open(QString::fromLatin1(protocol::lobby::kLoopbackAddress),
                       protocol::lobby::kGamePort);
    m_ui->button_start->show();
    m_ui->StartGame1->setEnabled(true);
}

void Tchat::joinpress()
{
    m_state.loginName = m_state.playerName;
    const protocol::lobby::Endpoint host = protocol::lobby::readEndpoint(m_state.hostAddress);
    m_connection->open(host.host, host.port);
}

void Tchat::buttonStartClick()
{
    if (!m_state.connected) {
        inform(QStringLiteral("You are not connected"));
        return;
    }
    if (m_services.sideWindows)
        m_services.sideWindows->showGameStart();
    m_ui->button_start->hide();
}

void Tchat::startgame(bool team, const QString& playToScore, const QString& timePerTurn)
{
    if (!m_state.connected)
        return;
    m_connection->send(MessageId::StartGameToHost,
                       {m_state.mySlot, team, protocol::toInt(playToScore.toLatin1()),
                        protocol::toInt(timePerTurn.toLatin1())});
}

void Tchat::kicking(int slot)
{
    if (m_state.hosting && m_state.connected)
        m_connection->send(MessageId::KickHim, {m_state.mySlot, slot});
}

void Tchat::handleMessage(MessageId id, const QByteArray& payload)
{
    GameDisplay& d = *m_display;
    switch (id) {
    case MessageId::SendLoginInfo:
        return sendloginfo(payload);
    case MessageId::Chat:
    case MessageId::Action:
        return m_chat->addRelayedLine(payload);
    case MessageId::NewPlayerInfo:
    case MessageId::ExistingPlayers:
        return d.newPlayerInfo(payload);
    case MessageId::PlayerDisconnected:
        return d.playerDisconnected(payload);
    case MessageId::StartGame:
        return d.startTheGame(payload);
    case MessageId::NextPlayer:
        return d.getNextPlayer(payload);
    case MessageId::Winner:
        return d.winner(payload);
    case MessageId::Full:
        inform(QStringLiteral("Game is full"));
        return closeSoon();
    case MessageId::Draw:
        return drawit(payload);
    case MessageId::MoveIt:
        return moveit(payload);
    case MessageId::ClearMain:
        return clearmain(payload);
    case MessageId::CorrectAnswer:
        return d.correctAnswer(payload);
    case MessageId::UpdateAnswer:
        return d.updateAnswer(payload);
    case MessageId::GiveDrawerAnswer:
        return d.giveDrawerAnswer(payload);
    case MessageId::Guessed:
        return d.guessed(payload);
    case MessageId::PickCategory:
        return d.pickCategory(payload);
    case MessageId::MyGuessed:
        return d.myGuessed(payload);
    case MessageId::Passed:
        return d.passed(payload);
    case MessageId::RefreshPlayerList:
        return d.refreshPlayerList(payload);
    case MessageId::HaveWrongVersion:
        return addlinetochat(protocol::fromWindows1252(payload) +
                                 QStringLiteral(" has a different version of the game then you."),
                             GameDisplay::kWarningColour);
    case MessageId::WrongVersion:
        return addlinetochat(
            QStringLiteral("You have a different version of the game then the host."),
            GameDisplay::kWarningColour);
    case MessageId::JustWatching:
        return d.justWatching(payload);
    case MessageId::TeamScore:
        return d.teamScore(payload);
    case MessageId::GameStats:
        return d.gameStats(payload);
    case MessageId::VeryClose:
        return d.veryClose(payload);
    case MessageId::PlayASound:
        return playasound(payload);
    default:
        return;
    }
}

void Tchat::sendloginfo(const QByteArray& payload)
{
    m_state.mySlot = protocol::toInt(payload);
    m_state.connected = true;
    m_connection->send(MessageId::LoginInfo,
                       {m_state.mySlot, QByteArray(protocol::kVersion), m_state.loginName});
}

void Tchat::moveit(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    if (r.nextInt() == m_state.mySlot)
        return; // the drawer's own window has drawn it already
    const protocol::ColourValue colour = protocol::toColour(r.next());
    const int width = r.nextInt();
    const int x = r.nextInt();
    const int y = r.restInt();
    m_ui->image_main->penDown(colour, width, {x, y});
}

void Tchat::drawit(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    if (r.nextInt() == m_state.mySlot)
        return;
    const protocol::ColourValue colour = protocol::toColour(r.next());
    const int width = r.nextInt();
    m_ui->image_main->strokeTo(colour, width, r.restPointList());
}

void Tchat::clearmain(const QByteArray& payload)
{
    if (protocol::toInt(payload) != m_state.mySlot)
        m_ui->image_main->wipe();
}

void Tchat::playasound(const QByteArray& payload)
{
    protocol::FieldReader r(payload);
    const qint32 slot = r.nextInt();
    const QByteArray sound = r.next();
    if (m_ui->PlayChatterSounds1->isChecked()) {
        if (m_services.sounds)
            m_services.sounds->play(sound);
        return;
    }
    qint32 number = 0;
    const QString name = m_display->rowName(slot);
    if (!sound.startsWith("wave") || !protocol::tryToInt(sound.mid(4), number) ||
        chatterSoundTitle(number).isEmpty() || name.isEmpty())
        return;
    addlinetochat(name + QStringLiteral(": <Chatter Sound> ") + chatterSoundTitle(number),
                  GameDisplay::kWarningColour);
}

void Tchat::loadinifile()
{
    const PlayerSettings s = readSettings(m_services.settingsPath, m_snapCount);
    m_rememberedGeometry = s.geometry;
    setGeometry(s.geometry.left, s.geometry.top, s.geometry.width, s.geometry.height);
    for (QAction* size : {m_ui->N8, m_ui->N10, m_ui->N12, m_ui->N14}) {
        if (size->text().toInt() == s.textSize)
            size->setChecked(true);
    }
    QFont font = m_ui->mainchat->font();
    font.setPointSize(s.textSize);
    m_ui->mainchat->setFont(font);
    m_snapCount = s.snapCount;
    m_textColour = s.textColour;
    QPalette palette = m_ui->mychat->palette();
    palette.setColor(QPalette::Text, ui::toQColor(m_textColour));
    m_ui->mychat->setPalette(palette);
    m_actionColour = s.actionColour;
    for (int n = 1; n <= 9; ++n) {
        const QByteArray& phrase = s.phrases[static_cast<size_t>(n - 1)];
        if (!phrase.isEmpty())
            findChild<QToolButton*>(QStringLiteral("b_phrase%1").arg(n))
                ->setToolTip(protocol::fromWindows1252(phrase));
    }
    m_ui->PlaySounds1->setChecked(s.playSounds);
    m_ui->PlayChatterSounds1->setChecked(s.chatterSounds);
}

void Tchat::saveinifile()
{
    PlayerSettings s;
    const QRect g = geometry();
    s.geometry = {g.x(), g.y(), g.width(), g.height()};
    s.textSize = m_ui->mainchat->font().pointSize();
    s.snapCount = m_snapCount;
    s.textColour = m_textColour;
    s.actionColour = m_actionColour;
    s.playSounds = m_ui->PlaySounds1->isChecked();
    s.chatterSounds = m_ui->PlayChatterSounds1->isChecked();
    if (const auto error = writeSettings(m_services.settingsPath, s))
        inform(*error);
}

} // namespace client
