#include "client/tchat.h"

#include "client/drawingboard.h"
#include "client/invitelinkaction.h"
#include "client/localaddresses.h"
#include "client/scoreboard.h"
#include "client/settingsfile.h"
#include "net/tsock.h"
#include "protocol/conversion.h"
#include "protocol/lobby.h"
#include "protocol/version.h"
#include "protocol/windows1252.h"
#include "ui/colours.h"
#include "ui/layoutscaler.h"
#include "ui/pictures.h"

#include "ui_tchat.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

namespace client {

using protocol::MessageId;

namespace {
// How often and how many times a window just placed looks for its frame: five seconds.
constexpr int kFrameLookMs = 50;
constexpr int kFrameLooks = 100;
} // namespace

Tchat::Tchat(Services services, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::Tchat>()), m_services(services)
{
    m_ui->setupUi(this);
    // Names, phrases and notices come from the wire: every label shows its text exactly as
    // it came, never as markup (a name like <img src=...> would load whatever it names).
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);

    // The window's own look, whatever the desktop's theme and font: khaki, with the tiled
    // background picture, over the game's palette (the programs give it to their other
    // windows and boxes as the application's).
    setPalette(ui::gamePalette());
    setFont(ui::gameFont());
    const QColor khaki = ui::toQColor(kNoticeColour);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, khaki);
    palette.setBrush(QPalette::Window,
                     QBrush(khaki, ui::picture(QStringLiteral("background"), {64, 64})));
    m_ui->centralwidget->setAutoFillBackground(true);
    m_ui->centralwidget->setPalette(palette);
    m_ui->centralwidget->setMinimumSize(kMinimumClientSize);
    setWindowIcon(QIcon(ui::picture(QStringLiteral("icon"), {64, 64})));
    // Maximised or enlarged, the whole layout grows with the window, the board included.
    m_ui->panel_score->setProperty(ui::LayoutScaler::kScaleChildren, true);
    new ui::LayoutScaler(m_ui->centralwidget, m_ui->panel_main, this);

    setUpParts();
    setUpMenus();
    setUpKeyboardFocus();
    // An error that escapes a socket's handler is shown like every other: one box at a time.
    net::TSock::setUnhandledErrorHandler([this](const QString& text) { inform(text); });
}

Tchat::~Tchat()
{
    net::TSock::setUnhandledErrorHandler(nullptr);
}

ScoreBoard& Tchat::scoreBoard()
{
    return *m_ui->panel_score;
}

void Tchat::setUpParts()
{
    Ui::Tchat& u = *m_ui;
    m_connection = new ClientConnection(*this, this);
    m_transcript = std::make_unique<ChatView>(u.mainchat);
    m_roster = new Roster(m_state, *m_transcript, m_sounds, this);
    m_chat =
        new ChatPanel({u.mainchat,
                       u.mychat,
                       {u.b_phrase1, u.b_phrase2, u.b_phrase3, u.b_phrase4, u.b_phrase5,
                        u.b_phrase6, u.b_phrase7, u.b_phrase8, u.b_phrase9},
                       u.b_phrase10,
                       u.ScrollChatOff1},
                      *m_transcript, m_state, *m_roster, m_sounds, *m_connection, m_services, this);
    u.panel_score->follow(*m_roster);
    m_turn =
        new TurnPanel({u.label_fullanswer,
                       u.label_answer,
                       u.image_cat,
                       u.playtoscore,
                       u.timeperturn,
                       u.label_timer,
                       u.image_timer,
                       u.button_pass,
                       u.button_start,
                       u.panel_pickcatagory,
                       u.label_pickcatagory,
                       u.label_pickcatagory1,
                       {u.button_cat0, u.button_cat1, u.button_cat2, u.button_cat3, u.button_cat4,
                        u.button_cat5, u.button_cat6},
                       u.panel_winner1,
                       u.image_winner,
                       u.label_winner},
                      m_state, *m_roster, *m_transcript, m_sounds, m_services, *m_connection, this);
    m_board =
        new BoardPanel({u.image_main, u.panel_toolbar, u.ColorButton, u.penw, u.UpDown1, u.clear,
                        u.button_eraser, u.button_fill, u.button_undo, u.button_redo},
                       m_state, *m_connection, this);
    m_guesses = new GuessPanel({u.panel_answer, u.label_typeanswers, u.edit_answer,
                                u.memo_myguessed, u.memo_guessed, u.mychat},
                               m_state, *m_roster, *m_connection, this);
    m_snapshot = new SnapshotButton(u.button_snapshot, *u.image_main, *m_turn, m_services, this);
    m_album =
        new AlbumPanel(u.panel_board, *u.image_main, *m_roster, *m_transcript, m_services, this);
    m_invite = new InviteLinkAction(u.CopyInviteLink1, localNetworkAddresses, this);

    m_roster->setOnOwnArrival([this] { loadinifile(); });
    m_roster->setOnOwnDeparture([this] { closeSoon(); });
    // The tick follows the host's answer, not the click.
    m_roster->setOnOwnWatching([this](bool watching) { m_ui->JustWatch1->setChecked(watching); });
    m_chat->setOnError([this](const QString& text) { inform(text); });
    connect(m_turn, &TurnPanel::categoryChosen, this, [this](int category) {
        m_connection->send(MessageId::PickCategoryToHost, {m_state.mySlot, category});
    });
    connect(m_turn, &TurnPanel::startClicked, this, &Tchat::buttonStartClick);
    connect(m_turn, &TurnPanel::gameOver, this, [this] { m_ui->StartGame1->setEnabled(true); });
    connect(m_board, &BoardPanel::touched, m_turn, &TurnPanel::hidePass);
    connect(u.panel_score, &ScoreBoard::removeRequested, this, &Tchat::kicking);
    connect(u.panel_score, &ScoreBoard::watchRequested, this, &Tchat::sendJustWatch);
    connect(m_connection, &ClientConnection::closed, this, &Tchat::closeSoon);
    connect(m_snapshot, &SnapshotButton::saved, this, &Tchat::saveinifile);
    connect(m_snapshot, &SnapshotButton::failed, this, &Tchat::inform);
    connect(m_invite, &InviteLinkAction::failed, this, &Tchat::inform);
    connect(m_album, &AlbumPanel::failed, this, &Tchat::inform);
    connect(m_album, &AlbumPanel::pictureShown, m_turn, &TurnPanel::putWinnerAway);
    // The spy list keeps its entries whether it is shown or not.
    connect(m_roster, &Roster::spectatorsChanged, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->setSpectators(m_roster->spectatorEntries());
    });
    connect(m_connection, &ClientConnection::hostNotFound, this,
            [this] { inform(QStringLiteral("Host Lookup - Could Not Find Host Entry")); });
    // The window stays open: the player reads why, and may close it or start it again.
    connect(m_connection, &ClientConnection::unreachable, this,
            [this](const QString& address, const QString& reason) {
                m_transcript->addLine(
                    QStringLiteral("The table at %1 could not be reached: %2").arg(address, reason),
                    kNoticeColour);
            });
}

void Tchat::setUpKeyboardFocus()
{
    Ui::Tchat& u = *m_ui;
    // Typed keys go into a text field and never press a button: a focused quick-phrase
    // button once sent "Way To Go!" to the table for a guess typed after the guess entry
    // had gone.
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setFocusPolicy(Qt::NoFocus);
    // The read-only lists take the focus only when clicked, and then show a caret.
    for (QWidget* list : {static_cast<QWidget*>(u.mainchat), static_cast<QWidget*>(u.memo_guessed),
                          static_cast<QWidget*>(u.memo_myguessed)})
        list->setFocusPolicy(Qt::ClickFocus);
    u.mainchat->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    for (QPlainTextEdit* memo : {u.memo_guessed, u.memo_myguessed})
        memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QWidget::setTabOrder(u.edit_answer, u.mychat);
    u.mychat->setFocus(Qt::OtherFocusReason);
}

void Tchat::setUpMenus()
{
    Ui::Tchat& u = *m_ui;
    connect(u.StartGame1, &QAction::triggered, this, &Tchat::buttonStartClick);
    connect(u.Exit1, &QAction::triggered, this, &QWidget::close);
    connect(u.PlaySounds1, &QAction::toggled, this, [this](bool on) { m_sounds.setEnabled(on); });
    connect(u.PlaySounds1, &QAction::triggered, this, &Tchat::saveinifile);
    connect(u.PlayChatterSounds1, &QAction::toggled, this,
            [this](bool on) { m_sounds.setChatterEnabled(on); });
    connect(u.PlayChatterSounds1, &QAction::triggered, this, &Tchat::saveinifile);
    connect(u.SaveEveryAlbum1, &QAction::toggled, this,
            [this](bool on) { m_album->setSaveEveryAlbum(on); });
    connect(u.SaveEveryAlbum1, &QAction::triggered, this, &Tchat::saveinifile);
    for (QAction* size : {u.N8, u.N10, u.N12, u.N14}) {
        connect(size, &QAction::triggered, this, [this, size](bool checked) {
            // The tick marks show the size the settings were loaded with; a choice here
            // changes the size only.
            size->setChecked(!checked);
            m_chat->setTextSize(size->text().toInt());
            saveinifile();
        });
    }
    connect(u.TextColor1, &QAction::triggered, this, [this] {
        m_chat->chooseTextColour(this);
        saveinifile(); // also when the dialog was cancelled
    });
    connect(u.ActionColor1, &QAction::triggered, this,
            [this] { m_chat->chooseActionColour(this); });
    connect(u.ClearMainChat1, &QAction::triggered, m_chat, &ChatPanel::clearTranscript);
    connect(u.PhraseLists1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showPhraseEditor(m_chat->phrases());
    });
    connect(u.SnapShots1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showSnapshots();
    });
    connect(u.SpyList1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showSpyList();
    });
    connect(u.ResetScreenLocation1, &QAction::triggered, this,
            [this] { placeAt(kDefaultGeometry); });
    connect(u.JustWatch1, &QAction::triggered, this, [this](bool checked) {
        m_ui->JustWatch1->setChecked(!checked);
        if (!m_state.isSpectator())
            sendJustWatch(m_state.mySlot, checked);
    });
    connect(u.Contents1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showHelp();
    });
    connect(u.About1, &QAction::triggered, this, [this] {
        if (m_services.sideWindows)
            m_services.sideWindows->showAbout();
    });
}

void Tchat::sendJustWatch(int slot, bool watch)
{
    if (m_state.connected)
        m_connection->send(MessageId::JustWatch, {slot, QByteArray(watch ? "1" : "2")});
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

Geometry Tchat::outerBounds() const
{
    const QRect outer = frameGeometry();
    return {outer.x(), outer.y(), outer.width(), outer.height()};
}

void Tchat::placeAt(const Geometry& bounds)
{
    m_placement = bounds;
    applyPlacement();
}

void Tchat::applyPlacement()
{
    // The settings hold the outer bounds; the frame around the client area is the desktop's.
    // A window just shown may not have its frame yet: then it is placed as if it had none,
    // and placed again once the frame is there, so that no session adds a frame's size.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const Geometry bounds = *m_placement;
    if (outer != inner)
        m_placement.reset();
    move(bounds.left, bounds.top);
    resize(bounds.width - (outer.width() - inner.width()),
           bounds.height - (outer.height() - inner.height()));
    if (!m_placement)
        return;
    // The window manager tells its frame by a property that reaches Qt without an event of
    // its own, and it may come after the last move or resize: so the frame is looked for a
    // while (frameGeometry() reads the new margins).
    if (!m_frameWatch) {
        m_frameWatch = new QTimer(this);
        m_frameWatch->setInterval(kFrameLookMs);
        connect(m_frameWatch, &QTimer::timeout, this, [this] {
            if (!m_placement || ++m_frameLooks > kFrameLooks) {
                m_frameWatch->stop(); // no frame yet: a later move or resize still places it
            } else if (frameGeometry() != geometry()) {
                m_frameWatch->stop();
                applyPlacement();
            }
        });
    }
    m_frameLooks = 0;
    m_frameWatch->start();
}

bool Tchat::event(QEvent* event)
{
    const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (moved && m_placement && frameGeometry() != geometry())
        applyPlacement();
    return QMainWindow::event(event);
}

void Tchat::closeEvent(QCloseEvent* event)
{
    const QRect workArea = screen() ? screen()->availableGeometry() : QRect();
    const auto store = geometryToStore(outerBounds(), m_rememberedGeometry, workArea);
    if (m_settingsRead && store) {
        placeAt(*store);
        m_rememberedGeometry = *store;
        saveinifile();
    }
    event->accept();
}

void Tchat::closeSoon()
{
    // Never inside a handler: the current event finishes first. Whatever the host sends
    // meanwhile is dropped (a host repeating "full" would otherwise open a box per line).
    m_closing = true;
    QTimer::singleShot(0, this, &QWidget::close);
}

void Tchat::inform(const QString& text)
{
    if (m_informing || !m_services.dialogs)
        return;
    m_informing = true;
    m_connection->setPaused(true);
    m_services.dialogs->inform(text);
    m_connection->setPaused(false);
    m_informing = false;
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
            m_transcript->addLine(QStringLiteral("Loading Solo Game..Please wait."), kNoticeColour);
            if (m_services.sideWindows)
                m_services.sideWindows->showLobbyDownloader();
            m_state.hostAddress = QString::fromLatin1(protocol::lobby::kLoopbackAddress);
            m_state.playerName = "You";
            m_state.solo = true;
            hostpress();
            return;
        }
        m_transcript->addLine(QStringLiteral("Loading Multi-player Game.. Please Wait."),
                              kNoticeColour);
        if (line.mode == Mode::Waiting)
            return;
        m_state.playerName = protocol::toWindows1252(line.playerName);
        m_state.hostAddress = arguments.at(1);
        if (line.mode == Mode::Host)
            hostpress();
        else
            joinpress();
        m_connection->openLobbyLinkWhenStarted();
    } catch (const net::ESockException& e) {
        inform(QString::fromLatin1(e.what()));
    }
}

void Tchat::hostpress()
{
    if (m_services.host)
        m_services.host->start(m_state.solo);
    m_state.loginName = m_state.playerName;
    m_state.hosting = true;
    m_invite->setHosting(true);
    offerTableRights();
    m_connection->open(QString::fromLatin1(protocol::lobby::kLoopbackAddress),
                       protocol::lobby::kGamePort);
}

void Tchat::offerTableRights()
{
    m_ui->panel_score->setHosting(true);
    if (m_services.sideWindows)
        m_services.sideWindows->setHosting(true);
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

void Tchat::setInternetAddress(const QString& address)
{
    m_invite->setExternalAddress(address);
}

void Tchat::gameStartDismissed()
{
    m_turn->startDismissed();
}

void Tchat::kicking(int slot)
{
    if (m_state.leadsTable() && m_state.connected)
        m_connection->send(MessageId::KickHim, {m_state.mySlot, slot});
}

void Tchat::applyPhrases(const std::array<QString, ChatPanel::kPhrases>& phrases)
{
    m_chat->setPhrases(phrases);
    std::array<QByteArray, kPhraseCount> stored;
    for (size_t n = 0; n < stored.size(); ++n)
        stored[n] = protocol::toWindows1252(phrases[n]);
    if (const auto error = writePhrases(m_services.settingsPath, stored))
        inform(*error);
}

void Tchat::handleMessage(MessageId id, const QByteArray& payload)
{
    if (m_closing)
        return;
    switch (id) {
    case MessageId::SendLoginInfo:
        return sendloginfo(payload);
    case MessageId::Chat:
    case MessageId::Action:
        return m_chat->chatReceived(payload);
    case MessageId::NewPlayerInfo:
        return m_roster->newPlayerInfo(payload);
    case MessageId::ExistingPlayers:
        return m_roster->existingPlayer(payload);
    case MessageId::PlayerDisconnected:
        return m_roster->playerDisconnected(payload);
    case MessageId::StartGame:
        return startTheGame(payload);
    case MessageId::NextPlayer:
        return nextPlayer(payload);
    case MessageId::Winner:
        m_turn->winner(payload);
        return m_album->showGameEnd();
    case MessageId::Full:
        inform(QStringLiteral("Game is full"));
        return closeSoon();
    case MessageId::Draw:
        return m_board->drawit(payload);
    case MessageId::MoveIt:
        return m_board->moveit(payload);
    case MessageId::ClearMain:
        return m_board->clearmain(payload);
    case MessageId::CorrectAnswer:
        m_guesses->endTurn();
        m_snapshot->turnEnded();
        m_ui->panel_score->showPointTags(m_turn->correctAnswer(payload));
        keepTurn();
        return m_roster->correctAnswer(payload);
    case MessageId::UpdateAnswer:
        if (m_turn->updateAnswer(payload)) {
            m_guesses->endTurn();
            m_snapshot->turnEnded();
            keepTurn();
        }
        return;
    case MessageId::GiveDrawerAnswer:
        return m_turn->giveDrawerAnswer(payload);
    case MessageId::Guessed:
        return m_guesses->guessed(payload);
    case MessageId::PickCategory:
        m_board->pickCategory();
        return m_ui->panel_score->pointTo(m_turn->pickCategory(payload));
    case MessageId::MyGuessed:
        return m_guesses->myGuessed(payload);
    case MessageId::Passed:
        m_turn->passed(payload);
        return m_roster->passed(payload);
    case MessageId::RefreshPlayerList:
        return m_roster->refreshPlayerList(payload);
    case MessageId::HaveWrongVersion:
        return m_chat->haveWrongVersion(payload);
    case MessageId::WrongVersion:
        return m_chat->wrongVersion();
    case MessageId::JustWatching:
        return m_roster->justWatching(payload);
    case MessageId::TeamScore:
        return m_roster->teamScore(payload);
    case MessageId::GameStats:
        m_turn->gameStats(payload);
        return m_roster->gameStats(payload);
    case MessageId::UpdateTime:
        return m_turn->updateTime(payload);
    case MessageId::VeryClose:
        return m_guesses->veryClose(payload);
    case MessageId::PlayASound:
        return m_chat->playASound(payload);
    default:
        return;
    }
}

void Tchat::sendloginfo(const QByteArray& payload)
{
    m_state.mySlot = protocol::toInt(payload);
    m_state.connected = true;
    // At a table this copy did not start, slot 1 has the rights the hosting copy has.
    if (m_state.leadsTable() && !m_state.hosting)
        offerTableRights();
    m_connection->send(MessageId::LoginInfo,
                       {m_state.mySlot, QByteArray(protocol::kVersion), m_state.loginName});
}

void Tchat::startTheGame(const QByteArray& payload)
{
    const bool team = m_turn->startTheGame(payload);
    m_ui->panel_score->startGame(team);
    m_board->startGame();
    m_album->startGame();
    m_guesses->startGame();
    m_roster->resetForGame();
    // Watching is for games without teams.
    m_ui->JustWatch1->setChecked(false);
    m_ui->JustWatch1->setEnabled(!team);
}

void Tchat::nextPlayer(const QByteArray& payload)
{
    const int drawer = m_turn->nextPlayer(payload);
    m_ui->panel_score->startTurn(drawer, m_state.mySlot);
    m_album->startTurn();
    m_board->startTurn(drawer);
    m_guesses->startTurn(drawer);
    m_snapshot->turnBegins();
}

void Tchat::keepTurn()
{
    const TurnPanel::Revealed& turn = m_turn->revealed();
    m_album->keepTurn(turn.phrase, turn.drawer, turn.solver, m_board->takeTurnLog());
}

void Tchat::loadinifile()
{
    std::optional<QString> failure;
    const PlayerSettings s = readSettings(m_services.settingsPath, m_snapshot->count(), &failure);
    if (failure) {
        // What the file holds is unknown, so the window keeps its own defaults and never
        // writes them over the file.
        m_transcript->addLine(QStringLiteral("Settings not read: %1. They are not saved while "
                                             "this window is open.")
                                  .arg(*failure),
                              kNoticeColour);
        return;
    }
    m_settingsRead = true;
    m_rememberedGeometry = s.geometry;
    const QPoint corner(s.geometry.left, s.geometry.top);
    QScreen* desktop = QGuiApplication::screenAt(corner);
    if (!desktop)
        desktop = screen() ? screen() : QGuiApplication::primaryScreen();
    placeAt(keptOnScreen(s.geometry, desktop ? desktop->availableGeometry() : QRect()));
    for (QAction* size : {m_ui->N8, m_ui->N10, m_ui->N12, m_ui->N14}) {
        if (size->text().toInt() == s.textSize)
            size->setChecked(true);
    }
    m_chat->setTextSize(s.textSize);
    m_snapshot->setCount(s.snapCount);
    m_chat->setTextColour(s.textColour);
    m_chat->setActionColour(s.actionColour);
    m_chat->loadPhrases(s.phrases);
    m_ui->PlaySounds1->setChecked(s.playSounds);
    m_ui->PlayChatterSounds1->setChecked(s.chatterSounds);
    m_ui->SaveEveryAlbum1->setChecked(s.saveEveryAlbum);
}

void Tchat::saveinifile()
{
    // Settings that were never read are never written: a window that did not reach its
    // table would otherwise put its defaults (snapshot counter 0 among them) over the file.
    if (!m_settingsRead)
        return;
    PlayerSettings s;
    s.geometry = outerBounds();
    s.textSize = m_chat->textSize();
    s.snapCount = m_snapshot->count();
    s.textColour = m_chat->textColour();
    s.actionColour = m_chat->actionColour();
    s.playSounds = m_ui->PlaySounds1->isChecked();
    s.chatterSounds = m_ui->PlayChatterSounds1->isChecked();
    s.saveEveryAlbum = m_ui->SaveEveryAlbum1->isChecked();
    if (const auto error = writeSettings(m_services.settingsPath, s))
        inform(*error);
}

} // namespace client
