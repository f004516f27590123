#pragma once

#include "trend/FleetOverview.h"
#include "trend/IndexedFlight.h"
#include "trend/ui/TrendSource.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <memory>

class QAbstractItemModel;
class QModelIndex;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
class RepositoryReader;
namespace Ui { class FleetOverviewWindowClass; }

// The fleet at a glance: one row per engine of the flight index (or, from the
// fleet repository, of every station, with the station of its latest
// download, worked out by the server for each indicator chosen) with its
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
    // The engine (its engine key) whose trend was asked for, from the source shown.
    void engineChosen(const QString& engine, TrendSource source);

private:
    bool fromRepository() const;
    trend::TrendChoice indicator() const;
    void indicatorChosen();
    void reloadFromRepository();
    void showRows(const QList<trend::FleetRow>& rows);
    void chooseRow(const QModelIndex& index);

    std::unique_ptr<Ui::FleetOverviewWindowClass> ui_;
    QStandardItemModel* rows_;
    QSortFilterProxyModel* sorted_;
    RepositoryReader* reader_;
    QList<IndexedFlight> flights_;  // of the index; none from the repository
    QHash<QString, QString> stations_;  // engine -> station of its latest download, from the repository
};
