#include "windows/spylist.h"

#include "ui_spylist.h"

#include <QMenu>
#include <QMouseEvent>

namespace windows {

SpyList::SpyList(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Tspylist>()), popup_kick_(new QMenu(this))
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(size());
    popup_kick_->setObjectName(QStringLiteral("popup_kick"));
    QAction* remove = popup_kick_->addAction(QStringLiteral("Remove From Game"));
    remove->setObjectName(QStringLiteral("popup_kickhim"));
    remove->setEnabled(false);
    connect(remove, &QAction::triggered, this, &SpyList::removeEntryUnderPointer);
    connect(ui_->listbox_spys, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        popup_kick_->popup(ui_->listbox_spys->viewport()->mapToGlobal(at));
    });
    // Which entry the pointer is over, as it moves.
    ui_->listbox_spys->viewport()->setMouseTracking(true);
    ui_->listbox_spys->viewport()->installEventFilter(this);
    connect(ui_->button_done, &QPushButton::clicked, this, &QDialog::hide);
}

SpyList::~SpyList() = default;

void SpyList::setEntries(const QStringList& entries)
{
    ui_->listbox_spys->clear();
    ui_->listbox_spys->addItems(entries);
    underPointer_ = -1;
}

QStringList SpyList::entries() const
{
    QStringList texts;
    for (int i = 0; i < ui_->listbox_spys->count(); ++i)
        texts.append(ui_->listbox_spys->item(i)->text());
    return texts;
}

void SpyList::setRemovalEnabled(bool enabled)
{
    popup_kick_->findChild<QAction*>(QStringLiteral("popup_kickhim"))->setEnabled(enabled);
}

bool SpyList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QModelIndex index = ui_->listbox_spys->indexAt(at);
        underPointer_ = index.isValid() ? index.row() : -1;
    }
    return QDialog::eventFilter(watched, event);
}

void SpyList::removeEntryUnderPointer()
{
    if (underPointer_ < 0 || underPointer_ >= ui_->listbox_spys->count())
        return;
    // The slot leads the entry, so two spectators of one name stay apart.
    const QString entry = ui_->listbox_spys->item(underPointer_)->text();
    bool isNumber = false;
    const int slot = entry.left(entry.indexOf(QLatin1Char(':'))).toInt(&isNumber);
    if (isNumber && handler_)
        handler_(slot);
}

} // namespace windows
