#pragma once

#include "lobby/tablesheard.h"

#include <QAbstractListModel>

namespace lobby {

// "Ann's table — 4 players — game running" (or "— waiting"), with "— 2 watching" when
// anybody does.
QString describeTable(const HeardTable& table);

// The tables heard, one row each, for a list view. Rows are matched by address when the list
// is replaced, so a selection stays on its table while others come and go.
class HeardTablesModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kAddressRole = Qt::UserRole + 1;

    explicit HeardTablesModel(QObject* parent = nullptr);

    void setTables(const QList<HeardTable>& tables);
    QString addressAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QList<HeardTable> m_tables;
};

} // namespace lobby
