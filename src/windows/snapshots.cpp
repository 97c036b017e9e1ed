#include "windows/snapshots.h"

#include "ui_snapshots.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <variant>

namespace windows {

namespace {

// The folder may hold files we did not write; these bounds keep any of them to a moment
// and a few megabytes. Our own snapshots are 533 by 369 pixels and some 50 kB.
constexpr qint64 kLargestFileBytes = 4 * 1024 * 1024;
constexpr int kLargestSide = 2000;
constexpr int kDecoderLimitMb = 32; // well above kLargestSide squared at 4 bytes a pixel

// The picture in `path`, or why it cannot be shown. Only a regular file (links followed) is
// opened - a FIFO would block the window, a device never ends - and only the JPEG decoder
// reads it, after its header has been checked against the bounds.
std::variant<QImage, QString> readSnapshot(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    if (info.size() > kLargestFileBytes)
        return QStringLiteral("the file is larger than %1 MiB").arg(kLargestFileBytes >> 20);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QByteArray bytes = file.read(kLargestFileBytes + 1);
    if (bytes.size() > kLargestFileBytes)
        return QStringLiteral("the file is larger than %1 MiB").arg(kLargestFileBytes >> 20);
    // A JPEG starts with its start-of-image marker and ends with its end-of-image marker;
    // without the latter the decoder would show a cut-off file as grey lines.
    if (!bytes.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("it is not a JPEG picture");
    if (!bytes.endsWith("\xFF\xD9"))
        return QStringLiteral("the picture is incomplete");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(kDecoderLimitMb);
    const QSize size = reader.size();
    if (!size.isValid())
        return QStringLiteral("it is not a JPEG picture");
    if (size.width() > kLargestSide || size.height() > kLargestSide)
        return QStringLiteral("the picture is %1 by %2 pixels, larger than %3 by %3")
            .arg(size.width())
            .arg(size.height())
            .arg(kLargestSide);
    QImage picture = reader.read();
    if (picture.isNull())
        return reader.errorString();
    return picture;
}

} // namespace

SnapshotViewer::SnapshotViewer(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Tsnapshot>()), popup_(new QMenu(this))
{
    ui_->setupUi(this);
    // A notice names a file from the folder: shown as it is, never as markup.
    ui_->image_snapshot->setTextFormat(Qt::PlainText);
    ui_->image_snapshot->setWordWrap(true);
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
    // Moving in the list with the keyboard shows what it moves to, as a press does; the
    // viewer's own moves load for themselves.
    connect(ui_->listbox_snapshots, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && QFileInfo::exists(pathOf(row)))
            load(row);
    });
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
    // The row the user sees highlighted; a current row without the highlight is no choice.
    const QList<QListWidgetItem*> chosen = ui_->listbox_snapshots->selectedItems();
    return chosen.isEmpty() ? -1 : ui_->listbox_snapshots->row(chosen.first());
}

void SnapshotViewer::reread()
{
    ui_->listbox_snapshots->clear();
    // System entries too (FIFOs, devices, links to them): they are listed, so they can be
    // seen for what they are and deleted, but never opened.
    ui_->listbox_snapshots->addItems(QDir(folder_).entryList(
        {QStringLiteral("*.jpg")}, QDir::Files | QDir::System, QDir::Unsorted));
    if (ui_->listbox_snapshots->count() > 0) {
        select(0);
        load(0);
    }
}

void SnapshotViewer::select(int row)
{
    const QSignalBlocker quiet(ui_->listbox_snapshots);
    ui_->listbox_snapshots->setCurrentRow(row);
}

void SnapshotViewer::load(int row)
{
    // A file that is gone (removed since the list was read) is told, and the picture stays;
    // one that is there but cannot be shown gets its notice in the picture's place.
    const QString path = pathOf(row);
    if (!QFileInfo::exists(path)) {
        if (errorHandler_)
            errorHandler_(QStringLiteral("File not found: ") + path);
        return;
    }
    const auto picture = readSnapshot(path);
    if (const QString* reason = std::get_if<QString>(&picture)) {
        ui_->image_snapshot->setText(QStringLiteral("%1 cannot be shown: %2")
                                         .arg(ui_->listbox_snapshots->item(row)->text(), *reason));
        return;
    }
    ui_->image_snapshot->setPixmap(QPixmap::fromImage(std::get<QImage>(picture)));
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
    const QSignalBlocker quiet(ui_->listbox_snapshots);
    delete ui_->listbox_snapshots->takeItem(row);
    // Qt makes a neighbour current; a second Delete would then remove a picture nobody
    // chose. Nothing is chosen until the user chooses again.
    ui_->listbox_snapshots->selectionModel()->clear();
}

} // namespace windows
