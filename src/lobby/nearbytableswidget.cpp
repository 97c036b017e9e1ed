#include "lobby/nearbytableswidget.h"

#include "lobby/heardtablesmodel.h"
#include "lobby/tablefinder.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace lobby {

NearbyTablesWidget::NearbyTablesWidget(QWidget* parent)
    : QWidget(parent), m_model(new HeardTablesModel(this)), m_list(new QListView(this)),
      m_join(new QPushButton(tr("Join"), this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(tr("Tables on this network"), this);
    title->setTextFormat(Qt::PlainText);
    layout->addWidget(title);
    m_list->setModel(m_model);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    layout->addWidget(m_list);
    layout->addWidget(m_join, 0, Qt::AlignRight);

    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        const QString address = m_model->addressAt(index.row());
        if (!address.isEmpty())
            Q_EMIT joinRequested(address);
    });
    connect(m_join, &QPushButton::clicked, this, &NearbyTablesWidget::joinSelected);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &NearbyTablesWidget::syncJoinButton);
    // Rows that go take their selection with them without a selectionChanged.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &NearbyTablesWidget::syncJoinButton);
    syncJoinButton();
}

void NearbyTablesWidget::follow(TableFinder& finder)
{
    connect(&finder, &TableFinder::tablesChanged, this,
            [this, &finder] { showTables(finder.tables()); });
    showTables(finder.tables());
}

void NearbyTablesWidget::showTables(const QList<HeardTable>& tables)
{
    m_model->setTables(tables);
}

void NearbyTablesWidget::joinSelected()
{
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QString address = m_model->addressAt(selected.front().row());
    if (!address.isEmpty())
        Q_EMIT joinRequested(address);
}

void NearbyTablesWidget::syncJoinButton()
{
    m_join->setEnabled(m_list->selectionModel()->hasSelection());
}

} // namespace lobby
