#include "trend/ui/FleetOverviewWindow.h"

#include "core/DataDirectories.h"
#include "core/Database.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "plot/PlotModel.h"
#include "repository/FleetRead.h"
#include "repository/ui/RepositoryReader.h"
#include "trend/FleetOutput.h"
#include "trend/FleetOverview.h"
#include "trend/FlightIndex.h"
#include "trend/IndexUpdater.h"
#include "ui_FleetOverviewWindow.h"

#include <QPointer>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <cmath>

namespace {

QString counted(qsizetype count, const char* noun)
{
    return QString::number(count) + u' ' + QLatin1String(noun) + (count == 1 ? QString() : QStringLiteral("s"));
}

const QString kTitle = QStringLiteral("Fleet Overview");
constexpr int kSortRole = Qt::UserRole;
constexpr int kEngineRole = Qt::UserRole + 1;
constexpr int kFirstAlarmColumn = 5;
constexpr int kFirstValueColumn = 11;
constexpr int kMeasuredRows = 100;

// Numbers sort as numbers; empty cells stay below the others in either order.
class FleetSortModel : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const bool leftShown = left.data(sortRole()).isValid();
        if (leftShown != right.data(sortRole()).isValid())
            return leftShown == (sortOrder() == Qt::AscendingOrder);
        return QSortFilterProxyModel::lessThan(left, right);
    }
};

// Level 3 red, Level 2 orange, Level 1 yellow, an unknown code grey, each with
// the text colour it reads best with; no alarm keeps the table's colours.
struct RankColours {
    QColor background;
    QColor text;
};

std::optional<RankColours> coloursOfRank(int rank)
{
    switch (rank) {
    case 4: return RankColours{QColor(0xC6, 0x28, 0x28), Qt::white};
    case 3: return RankColours{QColor(0xFB, 0x8C, 0x00), Qt::black};
    case 2: return RankColours{QColor(0xFF, 0xEB, 0x3B), Qt::black};
    case 1: return RankColours{QColor(0xBD, 0xBD, 0xBD), Qt::black};
    default: return std::nullopt;
    }
}

QVariant sortKey(const std::optional<double>& value)
{
    return value && std::isfinite(*value) ? QVariant(*value) : QVariant();
}

// What a column sorts by: the value behind the text, an alarm by its rank.
QList<QVariant> sortKeys(const trend::FleetRow& row)
{
    QList<QVariant> keys{row.engine, row.registration, row.enginePosition, row.lastDownload, row.flights};
    for (int current : trend::kFleetAlarmColumns)
        keys << trend::alarmRank(row.alarmCodes[current]) << trend::alarmRank(row.alarmCodes[current + 1]);
    keys << sortKey(row.value) << sortKey(row.change) << sortKey(row.changePercent);
    return keys;
}

QList<QStandardItem*> itemsOf(const trend::FleetRow& row)
{
    const QStringList texts = trend::fleetTableRow(row);
    const QList<QVariant> keys = sortKeys(row);
    QList<QStandardItem*> items;
    for (int column = 0; column < texts.size(); ++column) {
        auto* item = new QStandardItem(texts[column]);
        item->setData(keys[column], kSortRole);
        const bool alarm = column >= kFirstAlarmColumn && column < kFirstValueColumn;
        if (alarm) {
            if (const auto colours = coloursOfRank(keys[column].toInt())) {
                item->setBackground(colours->background);
                item->setForeground(colours->text);
            }
        } else if (keys[column].userType() != QMetaType::QString) {
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        items.append(item);
    }
    items.first()->setData(row.engine, kEngineRole);
    return items;
}

void fillIndicatorChoices(QComboBox* parameters, QComboBox* bins)
{
    for (int id = 0; id < trend::kParameters; ++id)
        parameters->addItem(QString(plot::parameter(id).menuEntry).remove(QLatin1Char('&')), id);
    parameters->setCurrentIndex(parameters->findData(trend::kDefaultParameter));
    bins->addItem(QStringLiteral("Highest bin"), trend::kHighestBin);
    for (int bin = 1; bin <= trend::kBins; ++bin)
        bins->addItem(QStringLiteral("Bin ") + QString::number(bin), bin);
}

}  // namespace

FleetOverviewWindow::FleetOverviewWindow(QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::FleetOverviewWindowClass>()),
      rows_(new QStandardItemModel(this)),
      sorted_(new FleetSortModel(this)),
      reader_(new RepositoryReader(this))
{
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    fillIndicatorChoices(ui_->parameterComboBox, ui_->binComboBox);
    const QStringList titles = trend::fleetTableTitles();
    rows_->setHorizontalHeaderLabels(titles);
    // A first click sorts names A to Z and numbers largest first: the engine to look at comes up.
    for (int column = 0; column < titles.size(); ++column)
        rows_->setHeaderData(column, Qt::Horizontal, column < 2 ? Qt::AscendingOrder : Qt::DescendingOrder,
                             Qt::InitialSortOrderRole);
    sorted_->setSourceModel(rows_);
    sorted_->setSortRole(kSortRole);
    ui_->engineTable->setModel(sorted_);
    // Until a column title is clicked the rows keep their first order: alarm rank, then largest rise.
    ui_->engineTable->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    ui_->engineTable->setSortingEnabled(true);
    // Column widths from the first rows: measuring every row of a large fleet costs more than it shows.
    ui_->engineTable->horizontalHeader()->setResizeContentsPrecision(kMeasuredRows);

    connect(ui_->engineTable, &QTableView::activated, this, &FleetOverviewWindow::chooseRow);
    connect(ui_->parameterComboBox, &QComboBox::currentIndexChanged, this, &FleetOverviewWindow::indicatorChosen);
    connect(ui_->binComboBox, &QComboBox::currentIndexChanged, this, &FleetOverviewWindow::indicatorChosen);
    connect(ui_->refreshButton, &QPushButton::clicked, this, &FleetOverviewWindow::reload);
    connect(ui_->sourceComboBox, &QComboBox::currentIndexChanged, this, &FleetOverviewWindow::reload);
}

FleetOverviewWindow::~FleetOverviewWindow() = default;

QTableView* FleetOverviewWindow::table() const { return ui_->engineTable; }
const QAbstractItemModel* FleetOverviewWindow::shownRows() const { return sorted_; }

// The one place the window brings the index up to date and reads it.
void FleetOverviewWindow::reload()
{
    if (fromRepository()) {
        reloadFromRepository();
        return;
    }
    const QPointer<FleetOverviewWindow> alive(this);
    const IndexChanges changes = IndexUpdater::updateWhileLive(dataRootPath(), databasePath());
    if (!alive)
        return;  // closed meanwhile
    FlightIndex index(databasePath());
    QString failure = changes.failure;
    QList<IndexedFlight> flights = index.flights({}, &failure);
    if (!failure.isEmpty())
        prompts().warning(this, kTitle, QStringLiteral("The flight index could not be read: ") + failure);
    QStringList refused;
    for (const auto& [path, why] : changes.refused)
        refused << messageText(path) + QStringLiteral(": ") + why + QLatin1Char('.');
    if (!refused.isEmpty())
        prompts().warning(this, kTitle, QStringLiteral("These raw files could not be read:\n") + refused.join('\n'));
    setFlights(std::move(flights));
}

bool FleetOverviewWindow::fromRepository() const { return ui_->sourceComboBox->currentIndex() == 1; }

trend::TrendChoice FleetOverviewWindow::indicator() const
{
    return {ui_->parameterComboBox->currentData().toInt(), ui_->binComboBox->currentData().toInt(), trend::Memory::All};
}

// The repository works the overview out anew for each indicator; the index's flights are at hand.
void FleetOverviewWindow::indicatorChosen()
{
    if (fromRepository())
        reloadFromRepository();
    else
        showRows(trend::fleetOverview(flights_, indicator()));
}

// The choices of indicator stay open meanwhile: the latest one's answer is shown.
void FleetOverviewWindow::reloadFromRepository()
{
    flights_.clear();
    ui_->sourceComboBox->setEnabled(false);
    ui_->refreshButton->setEnabled(false);
    ui_->summaryLabel->setText(QStringLiteral("Reading the fleet repository..."));
    reader_->read<repository::OverviewRead>(
        [indicator = indicator()](const QString& conninfo) { return repository::readOverview(conninfo, indicator); },
        [this](const repository::OverviewRead& read) {
            ui_->sourceComboBox->setEnabled(true);
            ui_->refreshButton->setEnabled(true);
            if (!read.failure.isEmpty())
                prompts().warning(this, kTitle, QStringLiteral("The fleet repository could not be read: ") + read.failure);
            stations_ = read.stationOfEngine;
            showRows(read.rows);
        });
}

void FleetOverviewWindow::setFlights(QList<IndexedFlight> flights)
{
    flights_ = std::move(flights);
    showRows(trend::fleetOverview(flights_, indicator()));
}

void FleetOverviewWindow::showRows(const QList<trend::FleetRow>& rows)
{
    rows_->removeRows(0, rows_->rowCount());
    const bool withStations = fromRepository();
    const QStringList titles = trend::fleetTableTitles() + (withStations ? QStringList{QStringLiteral("Station")} : QStringList());
    rows_->setColumnCount(int(titles.size()));
    rows_->setHorizontalHeaderLabels(titles);
    int flightCount = 0;
    for (const trend::FleetRow& row : rows) {
        QList<QStandardItem*> items = itemsOf(row);
        if (withStations) {
            items.append(new QStandardItem(stations_.value(row.engine)));
            items.last()->setData(stations_.value(row.engine), kSortRole);
        }
        rows_->appendRow(items);
        flightCount += row.flights;
    }
    ui_->engineTable->resizeColumnsToContents();
    ui_->summaryLabel->setText(counted(rows.size(), "engine") + QStringLiteral(", ")
                               + counted(flightCount, "distinct flight") + QStringLiteral("."));
}

void FleetOverviewWindow::chooseRow(const QModelIndex& index)
{
    const QString engine = index.siblingAtColumn(0).data(kEngineRole).toString();
    if (!engine.isEmpty())
        emit engineChosen(engine, fromRepository() ? TrendSource::FleetRepository : TrendSource::Station);
}
