#include "windows/sidewindows.h"

#include "windows/about.h"
#include "windows/help.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace windows {

SideWindowSet::SideWindowSet(QWidget* mainWindow, Shell& shell, QObject* parent)
    : QObject(parent), mainWindow_(mainWindow), help_(new HelpWindow(shell, mainWindow)),
      about_(new AboutWindow(shell, mainWindow)), gameStart_(new GameStartDialog(mainWindow)),
      phrases_(new PhraseEditor(mainWindow)), snapshots_(new SnapshotViewer(mainWindow)),
      spyList_(new SpyList(mainWindow)), downloader_(new LobbyDownloader(shell, mainWindow))
{
    connect(help_, &HelpWindow::aboutRequested, this, &SideWindowSet::showAbout);
}

SideWindowSet::~SideWindowSet()
{
    // Windows the main window has not deleted yet go with this set.
    delete downloader_;
    delete spyList_;
    delete snapshots_;
    delete phrases_;
    delete gameStart_;
    delete about_;
    delete help_;
}

void SideWindowSet::showGameStart()
{
    present(gameStart_);
}

QString SideWindowSet::timePerTurnText() const
{
    // The dialog goes only with the main window, after which nobody asks.
    return gameStart_ ? gameStart_->timePerTurnText() : QString();
}

void SideWindowSet::showHelp()
{
    present(help_);
}

void SideWindowSet::showAbout()
{
    present(about_);
}

void SideWindowSet::showPhraseEditor(const std::array<QString, 9>& phrases)
{
    if (!phrases_)
        return;
    phrases_->fill(phrases);
    present(phrases_);
}

void SideWindowSet::showSnapshots()
{
    present(snapshots_);
}

void SideWindowSet::showSpyList()
{
    present(spyList_);
}

void SideWindowSet::setSpectators(const QStringList& entries)
{
    if (spyList_)
        spyList_->setEntries(entries);
}

void SideWindowSet::setHosting(bool hosting)
{
    if (spyList_)
        spyList_->setRemovalEnabled(hosting);
}

void SideWindowSet::showLobbyDownloader()
{
    if (downloader_)
        downloader_->present();
}

void SideWindowSet::setSnapshotFolder(const QString& folder)
{
    if (snapshots_)
        snapshots_->setFolder(folder);
}

void SideWindowSet::setErrorHandler(SnapshotViewer::ErrorHandler handler)
{
    if (snapshots_)
        snapshots_->setErrorHandler(std::move(handler));
}

void SideWindowSet::setRemoveHandler(SpyList::RemoveHandler handler)
{
    if (spyList_)
        spyList_->setRemoveHandler(std::move(handler));
}

void SideWindowSet::setPhrasesHandler(PhraseEditor::DoneHandler handler)
{
    if (phrases_)
        phrases_->setDoneHandler(std::move(handler));
}

void SideWindowSet::setStartGameHandler(GameStartDialog::StartHandler handler)
{
    if (gameStart_)
        gameStart_->setStartHandler(std::move(handler));
}

void SideWindowSet::setStartGameDismissedHandler(std::function<void()> handler)
{
    if (gameStart_)
        QObject::connect(gameStart_, &QDialog::rejected, gameStart_, std::move(handler));
}

void SideWindowSet::present(QWidget* window) const
{
    if (!window)
        return;
    QRect area;
    if (mainWindow_)
        area = mainWindow_->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) {
        const QPoint centre = area.center();
        window->move(centre.x() - window->width() / 2, centre.y() - window->height() / 2);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace windows
