#include "lobby/heardtablesmodel.h"

namespace lobby {

QString describeTable(const HeardTable& table)
{
    const QString dash = QStringLiteral(" \u2014 ");
    QString text = HeardTablesModel::tr("%1's table").arg(table.hostName) + dash +
                   (table.players == 1 ? HeardTablesModel::tr("1 player")
                                       : HeardTablesModel::tr("%1 players").arg(table.players));
    if (table.spectators > 0)
        text += dash + HeardTablesModel::tr("%1 watching").arg(table.spectators);
    text += dash + (table.gameRunning ? HeardTablesModel::tr("game running")
                                      : HeardTablesModel::tr("waiting"));
    return text;
}

HeardTablesModel::HeardTablesModel(QObject* parent) : QAbstractListModel(parent) {}

void HeardTablesModel::setTables(const QList<HeardTable>& tables)
{
    const auto holds = [](const QList<HeardTable>& list, const QString& address) {
        for (const HeardTable& t : list) {
            if (t.address == address)
                return &t;
        }
        return static_cast<const HeardTable*>(nullptr);
    };
    // Gone first, from the bottom so the rows above keep their numbers.
    for (int row = static_cast<int>(m_tables.size()) - 1; row >= 0; --row) {
        if (!holds(tables, m_tables[row].address)) {
            beginRemoveRows({}, row, row);
            m_tables.removeAt(row);
            endRemoveRows();
        }
    }
    for (int row = 0; row < m_tables.size(); ++row) {
        const HeardTable* now = holds(tables, m_tables[row].address);
        if (!now->looksLike(m_tables[row])) {
            m_tables[row] = *now;
            Q_EMIT dataChanged(index(row), index(row));
        }
    }
    for (const HeardTable& t : tables) {
        if (holds(m_tables, t.address))
            continue;
        const int row = static_cast<int>(m_tables.size());
        beginInsertRows({}, row, row);
        m_tables.append(t);
        endInsertRows();
    }
}

QString HeardTablesModel::addressAt(int row) const
{
    return row >= 0 && row < m_tables.size() ? m_tables[row].address : QString();
}

int HeardTablesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_tables.size());
}

QVariant HeardTablesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_tables.size())
        return {};
    const HeardTable& table = m_tables[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return describeTable(table);
    case Qt::ToolTipRole:
    case kAddressRole:
        return table.address;
    default:
        return {};
    }
}

} // namespace lobby
