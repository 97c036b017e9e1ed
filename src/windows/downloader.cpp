#include "windows/downloader.h"

#include "net/httpdownload.h"
#include "protocol/lobby.h"
#include "ui/pictures.h"
#include "windows/shell.h"

#include "ui_downloader.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>

namespace windows {

LobbyDownloader::LobbyDownloader(Shell& shell, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Tdownload>()),
      http_(std::make_unique<net::HttpDownload>()), shell_(shell),
      installedLobby_(QString::fromLatin1(protocol::lobby::kInstalledLobby))
{
    http_->setMaxBody(kMaxInstallerBytes);
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(size());
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    ui_->Image1->setPixmap(ui::picture(QStringLiteral("lobby"), ui_->Image1->size()));

    connect(ui_->getbutton, &QPushButton::clicked, this, &LobbyDownloader::download);
    connect(ui_->abortbutton, &QPushButton::clicked, this, &LobbyDownloader::stop);
    connect(ui_->Button1, &QPushButton::clicked, this, &LobbyDownloader::playSolo);
    connect(ui_->Button2, &QPushButton::clicked, this, &LobbyDownloader::playWithOthers);

    connect(http_.get(), &net::HttpDownload::headerLine, this,
            [this] { ui_->infolabel->setText(ui_->infolabel->text() + QLatin1Char('.')); });
    connect(http_.get(), &net::HttpDownload::bodyBegins, this, [this] {
        ui_->infolabel3->setText(QStringLiteral("Downloading: ") + ui_->infolabel2->text());
    });
    connect(http_.get(), &net::HttpDownload::bodyData, this, [this](qint64 received) {
        ui_->infolabel->setText(QString::number(received) + QStringLiteral(" bytes"));
    });
}

LobbyDownloader::~LobbyDownloader() = default;

void LobbyDownloader::present()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint centre = screen->availableGeometry().center();
        move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
    show();
    raise();
}

void LobbyDownloader::inform(const QString& text)
{
    if (inform_) {
        inform_(text);
        return;
    }
    // Over this window: one over the player window would sit behind it.
    QMessageBox box(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void LobbyDownloader::download()
{
    state_ = State::Started;
    const QString name = address_.mid(address_.lastIndexOf(QLatin1Char('/')) + 1);
    ui_->infolabel2->setText(name);
    const QString path = QDir(folder_).filePath(name);
    // Written under a temporary name beside its place and renamed into it once whole: a
    // failed or stopped download leaves nothing behind, and never a part under the
    // installer's name.
    QSaveFile installer(path);
    if (!installer.open(QIODevice::WriteOnly)) {
        inform(QStringLiteral("Cannot create file \"%1\". %2")
                   .arg(QDir::toNativeSeparators(path), installer.errorString()));
        return;
    }

    ui_->getbutton->setEnabled(false);
    ui_->abortbutton->setEnabled(true);
    ui_->infolabel->setText(QStringLiteral("Loading"));
    // Waits here, the window's events flowing, until the transfer has ended.
    bool received = http_->get(address_, installer);
    QString failure = http_->error();
    if (received && !installer.commit()) {
        received = false;
        failure = QStringLiteral("Cannot save \"%1\". %2")
                      .arg(QDir::toNativeSeparators(path), installer.errorString());
    }
    if (!received)
        installer.cancelWriting(); // the temporary file goes with the object
    ui_->getbutton->setEnabled(true);
    ui_->abortbutton->setEnabled(false);
    if (!received) {
        ui_->infolabel->setText(QStringLiteral("Download Aborted"));
        // Stop has said so already; anything else says why.
        if (state_ != State::Aborted)
            ui_->infolabel3->setText(failure);
        state_ = State::Aborted;
        return;
    }
    ui_->infolabel->setText(QStringLiteral("Received ") + QString::number(QFileInfo(path).size()) +
                            QStringLiteral(" bytes"));

    if (!installerRunsHere_) {
        // A Windows installer: opening it here would at best show it as a document, and the
        // game would close with nothing installed.
        ui_->infolabel3->setText(
            QStringLiteral("Downloaded to %1; this installer runs on Windows only.")
                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    ui_->infolabel3->setText(QStringLiteral("Installing"));
    const int result =
        shell_.open(path, QString::fromLatin1(protocol::lobby::kInstallerArguments), folder_);
    if (!Shell::succeeded(result)) {
        inform(QString::fromLatin1(protocol::lobby::kInstallFailedMessage));
        return;
    }
    // The installer replaces this program: it goes.
    if (closeProgram_)
        closeProgram_();
}

void LobbyDownloader::setMaxSize(qint64 bytes)
{
    http_->setMaxBody(bytes);
}

void LobbyDownloader::stop()
{
    http_->abort();
    ui_->infolabel->setText(QStringLiteral("Download has been aborted."));
    state_ = State::Aborted;
    ui_->infolabel3->setText(QStringLiteral("Download Aborted"));
}

void LobbyDownloader::playSolo()
{
    close();
}

void LobbyDownloader::playWithOthers()
{
    QString lobby = installedLobby_;
    if (!QFileInfo::exists(lobby) && !launcher_.isEmpty() && QFileInfo(launcher_).isExecutable())
        lobby = launcher_;
    if (!QFileInfo::exists(lobby)) {
        inform(QString::fromLatin1(protocol::lobby::kNoLobbyMessage));
        return;
    }
    const int opened = shell_.open(lobby, QString(), QFileInfo(lobby).path());
    if (lobby == launcher_ && !Shell::succeeded(opened)) {
        // The solo table stays: the player has neither lobby nor launcher now.
        inform(QString::fromLatin1(protocol::lobby::kNoLobbyMessage));
        return;
    }
    if (closeProgram_)
        closeProgram_();
}

} // namespace windows
