#include "windows/snapshots.h"

#include "ui_snapshots.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QMouseEvent>

namespace windows {

SnapshotViewer::SnapshotViewer(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Tsnapshot>()), popup_(new QMenu(this))
{
    ui_->setupUi(this);
    setModal(false);
    setFixedSize(size());
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* remove = popup_->addAction(QStringLiteral("Delete"));
    remove->setObjectName(QStringLiteral("Delete1"));
    connect(remove, &QAction::triggered, this, &SnapshotViewer::deleteSelected);
    connect(ui_->listbox_snapshots, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        popup_->popup(ui_->listbox_snapshots->viewport()->mapToGlobal(at));
    });
    // Every button's press selects, so a right press picks the entry before its menu opens.
    ui_->listbox_snapshots->viewport()->installEventFilter(this);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &SnapshotViewer::previous);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &SnapshotViewer::next);
}

SnapshotViewer::~SnapshotViewer() = default;

void SnapshotViewer::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    reread();
}

bool SnapshotViewer::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: the viewport also reports its destruction here, when the list is no
    // longer a scroll area to ask for its viewport.
    if (event->type() == QEvent::MouseButtonPress &&
        watched == ui_->listbox_snapshots->viewport()) {
        pressAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

QString SnapshotViewer::pathOf(int row) const
{
    return QDir(folder_).filePath(ui_->listbox_snapshots->item(row)->text());
}

QStringList SnapshotViewer::entries() const
{
    QStringList names;
    for (int i = 0; i < ui_->listbox_snapshots->count(); ++i)
        names.append(ui_->listbox_snapshots->item(i)->text());
    return names;
}

int SnapshotViewer::selected() const
{
    return ui_->listbox_snapshots->currentRow();
}

void SnapshotViewer::reread()
{
    ui_->listbox_snapshots->clear();
    ui_->listbox_snapshots->addItems(
        QDir(folder_).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Unsorted));
    if (ui_->listbox_snapshots->count() > 0) {
        select(0);
        load(0);
    }
}

void SnapshotViewer::select(int row)
{
    ui_->listbox_snapshots->setCurrentRow(row);
}

void SnapshotViewer::load(int row)
{
    // The loader does not ask whether the file is still there; what it cannot open is told.
    QImageReader reader(pathOf(row));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        if (errorHandler_)
            errorHandler_(reader.errorString() + QStringLiteral(": ") + pathOf(row));
        return;
    }
    ui_->image_snapshot->setPixmap(QPixmap::fromImage(picture));
}

void SnapshotViewer::previous()
{
    const int row = selected();
    if (row > 0) {
        select(row - 1);
        load(row - 1);
    }
}

void SnapshotViewer::next()
{
    const int row = selected() + 1; // with nothing selected: the first
    if (row < ui_->listbox_snapshots->count()) {
        select(row);
        load(row);
    }
}

void SnapshotViewer::pressAt(QPoint at)
{
    const QModelIndex index = ui_->listbox_snapshots->indexAt(at);
    if (!index.isValid())
        return;
    select(index.row());
    if (QFile::exists(pathOf(index.row())))
        load(index.row());
}

void SnapshotViewer::deleteSelected()
{
    const int row = selected();
    if (row < 0)
        return;
    QFile::remove(pathOf(row)); // already gone: the entry goes all the same
    delete ui_->listbox_snapshots->takeItem(row);
}

} // namespace windows
