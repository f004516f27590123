#pragma once

#include "trend/IndexedFlight.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <memory>

class QAbstractItemModel;
class QModelIndex;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
namespace Ui { class FleetOverviewWindowClass; }

// The fleet at a glance: one row per engine of the flight index (or, from the
// fleet repository, of every station, with the station of its latest
// download) with its
// latest download's aircraft and alarm states and one indicator's latest
// value against the flights before it, most alarming first. A click on a
// column title sorts by that column; a double-click or Enter on a row asks
// for that engine's trend.
class FleetOverviewWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit FleetOverviewWindow(QWidget* parent);
    ~FleetOverviewWindow() override;

    // Brings the index up to date with the data tree and shows its engines.
    void reload();
    // Shows the engines of these flights (every flight the index lists).
    void setFlights(QList<IndexedFlight> flights);

    QTableView* table() const;
    // The rows as shown, in their shown order.
    const QAbstractItemModel* shownRows() const;

signals:
    // The engine (its engine key) whose trend was asked for.
    void engineChosen(const QString& engine);

private:
    bool fromRepository() const;
    void reloadFromRepository();
    void showRows();
    void chooseRow(const QModelIndex& index);

    std::unique_ptr<Ui::FleetOverviewWindowClass> ui_;
    QStandardItemModel* rows_;
    QSortFilterProxyModel* sorted_;
    QList<IndexedFlight> flights_;
    QHash<QString, QString> stations_;  // engine -> station of its latest download, from the repository
};
