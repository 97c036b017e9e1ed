#include "lobby/launcherwindow.h"

#include "client/localaddresses.h"
#include "lobby/gamelauncher.h"
#include "lobby/lobbylistener.h"
#include "lobby/lobbysettings.h"
#include "lobby/nearbytableswidget.h"
#include "lobby/tablechoice.h"
#include "protocol/lobby.h"

#include "ui_launcherwindow.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QCompleter>
#include <QGuiApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>

#include <cstdio>

namespace lobby {

namespace {
// A router's note is a sentence or two; more would only stretch the window.
constexpr int kMaxRouterNoteLength = 300;
} // namespace

HostLookup systemHostLookup()
{
    return [](const QString& host, QObject* context, std::function<void(const QString&)> done) {
        QHostInfo::lookupHost(host, context, [done = std::move(done)](const QHostInfo& info) {
            if (info.error() == QHostInfo::NoError && !info.addresses().isEmpty())
                done(QString());
            else
                done(info.errorString());
        });
    };
}

LauncherWindow::LauncherWindow(Parts parts, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::LauncherForm>()), m_parts(std::move(parts))
{
    m_ui->setupUi(this);
    if (!m_parts.localAddresses)
        m_parts.localAddresses = client::localNetworkAddresses;
    const LobbySettings settings = readLobbySettings(m_parts.settingsPath);
    m_ui->edit_name->setText(settings.name);
    m_ui->combo_address->addItems(settings.addresses);
    (settings.hosting ? m_ui->radio_host : m_ui->radio_join)->setChecked(true);
    // An editable combo box completes inline by default: "127.0.0.1" typed would silently
    // become a remembered "127.0.0.1:7000" and join the wrong port. The remembered addresses
    // are offered in a popup instead, and only one picked there replaces what was typed.
    if (QCompleter* completer = m_ui->combo_address->completer())
        completer->setCompletionMode(QCompleter::PopupCompletion);

    connect(m_ui->button_start, &QPushButton::clicked, this, &LauncherWindow::start);
    connect(m_ui->edit_name, &QLineEdit::returnPressed, this, &LauncherWindow::start);
    connect(m_ui->edit_name, &QLineEdit::textChanged, this, &LauncherWindow::nameEdited);
    connect(m_ui->combo_address->lineEdit(), &QLineEdit::returnPressed, this,
            &LauncherWindow::start);
    connect(m_ui->button_copy_invite, &QPushButton::clicked, this, &LauncherWindow::copyInvite);
    connect(m_ui->radio_host, &QRadioButton::toggled, this, &LauncherWindow::showTable);
    connect(m_parts.listener, &LobbyListener::linksChanged, this, &LauncherWindow::showTable);
    connect(m_parts.game, &GameLauncher::ended, this, &LauncherWindow::showTable);

    auto* nearby = new NearbyTablesWidget(this);
    nearby->setObjectName(QStringLiteral("nearby_tables"));
    m_ui->layout_main->insertWidget(m_ui->layout_main->indexOf(m_ui->panel_invite) + 1, nearby);
    if (m_parts.finder)
        nearby->follow(*m_parts.finder);
    connect(nearby, &NearbyTablesWidget::joinRequested, this, &LauncherWindow::joinNearby);

    if (!m_parts.listener->isListening()) {
        report(QStringLiteral("Another lobby is already using port %1 on this computer (%2). "
                              "You can still start the game; its link goes to that lobby.")
                   .arg(protocol::lobby::kLobbyPort)
                   .arg(m_parts.listenError));
    }
    showTable();
}

LauncherWindow::~LauncherWindow() = default;

LauncherWindow::Table LauncherWindow::table() const
{
    // Only the game this launcher started counts: any copy of the game on this computer
    // links to the lobby's port, and one the player started by hand must not lock the
    // launcher. While ours runs, a link is taken for its table having started.
    if (!m_parts.game->isRunning())
        return Table::Ready;
    // Without a listener of our own no link will come: the running game is the table.
    if (m_parts.listener->openLinks() > 0 || !m_parts.listener->isListening())
        return Table::Running;
    return Table::Starting;
}

QString LauncherWindow::message() const
{
    return m_ui->label_message->text();
}

QString LauncherWindow::status() const
{
    return m_ui->label_status->text();
}

void LauncherWindow::start()
{
    if (table() != Table::Ready || m_lookingUp)
        return;
    m_ui->label_message->clear();
    if (const auto problem = nameProblem(m_ui->edit_name->text())) {
        report(*problem);
        m_nameNotice = true;
        m_ui->edit_name->setFocus();
        return;
    }
    if (m_ui->radio_host->isChecked()) {
        launch();
        return;
    }
    const QString address = m_ui->combo_address->currentText();
    if (const auto problem = addressProblem(address)) {
        report(*problem);
        m_ui->combo_address->setFocus();
        return;
    }
    const QString host = hostToLookUp(address);
    m_lookingUp = true;
    const int serial = ++m_lookupSerial;
    showTable();
    m_parts.lookUp(host, this, [this, serial, host](const QString& error) {
        if (serial != m_lookupSerial)
            return;
        m_lookingUp = false;
        if (error.isEmpty()) {
            launch();
        } else {
            report(QStringLiteral("Cannot find the host \"%1\": %2").arg(host, error));
            showTable();
            m_ui->combo_address->setFocus(); // disabled while looking up: focus is elsewhere
        }
    });
}

void LauncherWindow::launch()
{
    TableChoice choice{m_ui->edit_name->text().trimmed(), m_ui->radio_host->isChecked(),
                       m_ui->combo_address->currentText().trimmed()};
    LobbySettings settings = readLobbySettings(m_parts.settingsPath);
    settings.name = choice.name;
    settings.hosting = choice.hosting;
    if (!choice.hosting)
        settings.addresses = rememberAddress(settings.addresses, choice.address);
    if (const auto failure = writeLobbySettings(m_parts.settingsPath, settings))
        report(*failure); // the game starts all the same

    const QStringList arguments = gameArguments(choice);
    QString error;
    if (!m_parts.game->start(arguments, &error)) {
        report(error);
        showTable();
        return;
    }
    m_hostedTable = choice.hosting;
    if (m_hostedTable)
        m_localAddresses = m_parts.localAddresses();
    std::fprintf(stderr, "quillon-lobby: started %s \"%s\"\n",
                 qUtf8Printable(m_parts.game->program()),
                 qUtf8Printable(arguments.join(QStringLiteral("\" \""))));
    std::fflush(stderr);
    if (!choice.hosting) {
        m_ui->combo_address->clear();
        m_ui->combo_address->addItems(settings.addresses);
    }
    showTable();
}

void LauncherWindow::takeArguments(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return;
    if (arguments.size() > 1) {
        report(QStringLiteral("The launcher takes one invite link, quillon://HOST or "
                              "quillon://HOST:PORT, and nothing else: nothing was filled in."));
        return;
    }
    const protocol::lobby::InviteReading invite =
        protocol::lobby::readInviteLink(arguments.front());
    if (!invite.table) {
        report(invite.problem);
        return;
    }
    m_ui->radio_join->setChecked(true);
    m_ui->combo_address->setEditText(protocol::lobby::joinAddress(*invite.table));
    showTable();
    // Enter starts from either box: the name when it still needs one, else the address.
    if (nameProblem(m_ui->edit_name->text()))
        m_ui->edit_name->setFocus();
    else
        m_ui->combo_address->lineEdit()->setFocus();
}

void LauncherWindow::setExternalAddress(const QString& address)
{
    // It comes from the router: only a plain dotted IPv4 address is shown.
    QHostAddress parsed;
    const bool usable = address.size() <= 15 && parsed.setAddress(address) &&
                        parsed.protocol() == QAbstractSocket::IPv4Protocol &&
                        !parsed.isLoopback() && !parsed.isNull();
    m_externalAddress = usable ? parsed.toString() : QString();
    showInvite();
}

void LauncherWindow::setRouterNote(const QString& text)
{
    QString note = text.left(kMaxRouterNoteLength);
    for (QChar& c : note) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char(' ');
    }
    m_ui->label_router_note->setText(note.simplified());
    showInvite();
}

QString LauncherWindow::inviteLink() const
{
    if (!m_hostedTable || !m_parts.game->isRunning())
        return {};
    return protocol::lobby::inviteLinkFor(m_externalAddress, m_localAddresses);
}

void LauncherWindow::copyInvite()
{
    const QString link = inviteLink();
    if (!link.isEmpty())
        QGuiApplication::clipboard()->setText(link);
}

void LauncherWindow::joinNearby(const QString& address)
{
    if (table() != Table::Ready)
        return; // a table of our own runs already
    m_ui->radio_join->setChecked(true);
    m_ui->combo_address->setEditText(address);
    start();
}

void LauncherWindow::showInvite()
{
    const bool hosting = m_hostedTable && m_parts.game->isRunning();
    if (hosting != m_hostingTold) {
        m_hostingTold = hosting;
        Q_EMIT hostingChanged(hosting, protocol::lobby::kGamePort);
    }
    m_ui->panel_invite->setVisible(hosting);
    if (!hosting)
        return;
    QStringList addresses = m_localAddresses;
    if (!m_externalAddress.isEmpty())
        addresses << QStringLiteral("%1 (internet)").arg(m_externalAddress);
    const QString link = inviteLink();
    if (addresses.isEmpty()) {
        m_ui->label_invite->setText(
            QStringLiteral("This computer has no network address for friends to join at."));
    } else {
        m_ui->label_invite->setText(QStringLiteral("Friends join at: %1\nInvite link: %2")
                                        .arg(addresses.join(QStringLiteral(", ")), link));
    }
    m_ui->button_copy_invite->setEnabled(!link.isEmpty());
    m_ui->label_router_note->setVisible(!m_ui->label_router_note->text().isEmpty());
}

void LauncherWindow::nameEdited(const QString& name)
{
    // A notice about the name follows the name until it is fine, then goes; any other
    // message stays.
    if (!m_nameNotice)
        return;
    if (const auto problem = nameProblem(name)) {
        m_ui->label_message->setText(*problem);
        return;
    }
    m_ui->label_message->clear();
    m_nameNotice = false;
}

void LauncherWindow::report(const QString& text)
{
    m_nameNotice = false;
    m_ui->label_message->setText(text);
    std::fprintf(stderr, "quillon-lobby: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
}

void LauncherWindow::showTable()
{
    const Table now = table();
    const bool ready = now == Table::Ready && !m_lookingUp;
    m_ui->button_start->setEnabled(ready);
    m_ui->edit_name->setEnabled(ready);
    m_ui->radio_host->setEnabled(ready);
    m_ui->radio_join->setEnabled(ready);
    m_ui->combo_address->setEnabled(ready && m_ui->radio_join->isChecked());
    switch (now) {
    case Table::Ready:
        setWindowTitle(QString::fromLatin1(kTitle));
        m_ui->label_status->setText(m_lookingUp ? QStringLiteral("Looking up the host...")
                                                : QStringLiteral("Ready: host a table, or join "
                                                                 "one at its address."));
        break;
    case Table::Starting:
        setWindowTitle(QString::fromLatin1(kStartingTitle));
        m_ui->label_status->setText(QStringLiteral("The game is starting..."));
        break;
    case Table::Running:
        setWindowTitle(QString::fromLatin1(kRunningTitle));
        m_ui->label_status->setText(
            QStringLiteral("A table is running. This window is ready again when the game ends."));
        break;
    }
    showInvite();
}

void LauncherWindow::closeEvent(QCloseEvent* event)
{
    m_parts.game->release(); // the table goes on without its launcher
    event->accept();
}

} // namespace lobby
