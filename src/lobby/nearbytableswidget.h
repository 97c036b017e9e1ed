#pragma once

#include "lobby/tablesheard.h"

#include <QWidget>

class QListView;
class QPushButton;

namespace lobby {

class HeardTablesModel;
class TableFinder;

// The tables on this network for the launcher: one row each, joined by a double click or
// with the Join button. Rows are plain text whatever a table calls itself.
//
//     auto* finder = new lobby::TableFinder(this);
//     finder->start();
//     auto* nearby = new lobby::NearbyTablesWidget(this);
//     nearby->follow(*finder);
//     connect(nearby, &lobby::NearbyTablesWidget::joinRequested, ...);
class NearbyTablesWidget : public QWidget {
    Q_OBJECT
public:
    explicit NearbyTablesWidget(QWidget* parent = nullptr);

    // Shows what `finder` hears from now on, until either of the two is destroyed.
    void follow(TableFinder& finder);
    void showTables(const QList<HeardTable>& tables);

    QListView* list() const { return m_list; }
    QPushButton* joinButton() const { return m_join; }

Q_SIGNALS:
    // "10.0.0.5:7772": what protocol::lobby::readEndpoint reads.
    void joinRequested(const QString& address);

private:
    void joinSelected();
    void syncJoinButton();

    HeardTablesModel* m_model;
    QListView* m_list;
    QPushButton* m_join;
};

} // namespace lobby
