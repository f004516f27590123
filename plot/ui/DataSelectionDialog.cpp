#include "plot/ui/DataSelectionDialog.h"

#include "core/Database.h"
#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "flights/AircraftList.h"
#include "trend/FlightIndex.h"
#include "trend/IndexUpdater.h"
#include "ui_DataSelectionDialog.h"

#include <QButtonGroup>
#include <QSignalBlocker>

DataSelectionDialog::DataSelectionDialog(QWidget* parent, FlightRecordList& flights)
    : QDialog(parent),
      ui_(std::make_unique<Ui::DataSelectionDialogClass>()),
      result_(flights),
      engineGroup_(new QButtonGroup(this)),
      memoryGroup_(new QButtonGroup(this)),
      lastAircraft_(settings::text(settings::LastAircraft)),
      index_(std::make_unique<FlightIndex>(databasePath())),
      updater_(new IndexUpdater(dataRootPath(), databasePath(), this))
{
    ui_->setupUi(this);
    ui_->flightDataTreeWidget->setSelectionMode(QAbstractItemView::ExtendedSelection);
    engineGroup_->addButton(ui_->radioButtonEngine1, 1);
    engineGroup_->addButton(ui_->radioButtonEngine2, 2);
    engineGroup_->addButton(ui_->radioButtonEngine3, 3);
    engineGroup_->addButton(ui_->radioButtonEngine4, 4);
    memoryGroup_->addButton(ui_->radioButtonPreDefect, 0);
    memoryGroup_->addButton(ui_->radioButtonPostDefect, 1);

    if (QAbstractButton* engine = engineGroup_->button(settings::integer(settings::LastSelectedEngine)))
        engine->setChecked(true);
    if (QAbstractButton* memory = memoryGroup_->button(settings::integer(settings::Plot2D_MemType)))
        memory->setChecked(true);

    aircraft_ = BuildAircraftInfoList();
    fillAircraftChoices(lastAircraft_);
    buildFlightList();

    connect(engineGroup_, &QButtonGroup::idClicked, this, &DataSelectionDialog::buildFlightList);
    connect(memoryGroup_, &QButtonGroup::idClicked, this, &DataSelectionDialog::buildFlightList);
    connect(ui_->comboBoxAircraftId, &QComboBox::currentIndexChanged, this, &DataSelectionDialog::buildFlightList);
    connect(updater_, &IndexUpdater::progress, this, &DataSelectionDialog::showProgress);
    connect(updater_, &IndexUpdater::finished, this, &DataSelectionDialog::indexUpdated);
    // The progress row keeps its place when it goes, so the list does not jump.
    for (QWidget* progress : {static_cast<QWidget*>(ui_->updateLabel), static_cast<QWidget*>(ui_->updateProgressBar)}) {
        QSizePolicy policy = progress->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        progress->setSizePolicy(policy);
    }
    updater_->start();
}

DataSelectionDialog::~DataSelectionDialog() = default;

bool DataSelectionDialog::isUpdating() const { return updater_->isRunning(); }

void DataSelectionDialog::done(int result)
{
    updater_->cancel();
    QDialog::done(result);
}

// The registrations of the indexed flights, the wanted one chosen when it is among them.
void DataSelectionDialog::fillAircraftChoices(const QString& wanted)
{
    QComboBox* combo = ui_->comboBoxAircraftId;
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(index_->registrations());
    combo->setCurrentIndex(combo->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void DataSelectionDialog::showEngineSerialNumber(int engine)
{
    const QString registration = ui_->comboBoxAircraftId->currentText();
    for (const AircraftInfo& aircraft : aircraft_) {
        if (textOf(aircraft.registration) != registration)
            continue;
        const QString serial = textOf(aircraft.engines[engine - 1].serialNumber);
        ui_->engineSn->setText(serial.isEmpty() ? QString() : QStringLiteral("SER: ") + serial);
        return;
    }
}

FlightFilter DataSelectionDialog::currentFilter() const
{
    return {ui_->comboBoxAircraftId->currentText(), engineGroup_->checkedId(), memoryGroup_->checkedId()};
}

void DataSelectionDialog::buildFlightList()
{
    const FlightFilter filter = currentFilter();
    showEngineSerialNumber(filter.enginePosition);
    query_ = FlightQuery(RawFileScan{index_->listedFlights(&filter), {}, {}, {}});

    QTreeWidget* tree = ui_->flightDataTreeWidget;
    tree->clear();
    for (const FlightRow& flight : query_.rows(filter)) {
        auto* row = new QTreeWidgetItem(tree, flight.texts());
        row->setData(0, Qt::UserRole, flight.flight);  // sorting must not lose the link to the list
    }
    fitColumns();
}

void DataSelectionDialog::fitColumns()
{
    QTreeWidget* tree = ui_->flightDataTreeWidget;
    for (int column = 0; column < tree->columnCount(); ++column)
        tree->resizeColumnToContents(column);
}

void DataSelectionDialog::showProgress(int done, int total)
{
    ui_->updateLabel->setText(QStringLiteral("Reading %1 of %2 files…").arg(QString::number(done), QString::number(total)));
    ui_->updateProgressBar->setRange(0, total);
    ui_->updateProgressBar->setValue(done);
}

// The flights read meanwhile join the list; the aircraft, engine, memory type
// and rows chosen so far stay chosen.
void DataSelectionDialog::indexUpdated(const IndexChanges& changes)
{
    ui_->updateLabel->hide();
    ui_->updateProgressBar->hide();
    // A refused file may have held flights before it changed.
    if (!changes.added.isEmpty() || !changes.changed.isEmpty() || !changes.dropped.isEmpty() || !changes.refused.isEmpty()) {
        QComboBox* combo = ui_->comboBoxAircraftId;
        const QSet<SlotKey> selected = selectedSlots();
        fillAircraftChoices(combo->currentIndex() >= 0 ? combo->currentText() : lastAircraft_);
        buildFlightList();
        selectSlots(selected);
    }
    reportListingProblems(changes);
    emit listComplete();
}

// Broken and cut files are named one by one, unsupported ones in one warning, as the listing always told them.
void DataSelectionDialog::reportListingProblems(const IndexChanges& changes)
{
    if (!changes.failure.isEmpty() && !changes.cancelled)
        prompts().warning(this, QStringLiteral("Error"),
                          QStringLiteral("The flight index could not be brought up to date: ") + changes.failure);
    QList<std::pair<QString, QString>> broken = changes.cut;
    bool unsupported = false;
    QStringList oversized;
    for (const auto& [path, why] : changes.refused) {
        switch (refusalKind(why)) {
        case RefusalKind::Unopened: break;
        case RefusalKind::Broken: broken.append({path, why}); break;
        case RefusalKind::Unsupported: unsupported = true; break;
        case RefusalKind::Oversized: oversized << path + QStringLiteral(": ") + why + QLatin1Char('.'); break;
        }
    }
    for (const auto& [path, why] : broken)
        prompts().critical(this, QStringLiteral("DataSelectionDialog::ExtractFlightInfo"), path + QStringLiteral(": ") + why);
    if (!unsupported && oversized.isEmpty())
        return;
    QString text = QStringLiteral("Found raw data files with an unsupported format. These files have been ignored.");
    if (!oversized.isEmpty())
        text += QStringLiteral("\n\n") + oversized.join(QLatin1Char('\n'));
    prompts().warning(this, QStringLiteral("Error"), text);
}

// The chosen flights in the order the tree reports them.
QList<qsizetype> DataSelectionDialog::selectedFlights() const
{
    QList<qsizetype> chosen;
    for (const QTreeWidgetItem* row : ui_->flightDataTreeWidget->selectedItems())
        chosen.append(row->data(0, Qt::UserRole).value<qsizetype>());
    return chosen;
}

QSet<DataSelectionDialog::SlotKey> DataSelectionDialog::selectedSlots() const
{
    QSet<SlotKey> keys;
    for (qsizetype flight : selectedFlights())
        keys.insert({query_.flights()[flight].path, query_.flights()[flight].slot});
    return keys;
}

void DataSelectionDialog::selectSlots(const QSet<SlotKey>& wanted)
{
    QTreeWidget* tree = ui_->flightDataTreeWidget;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = tree->topLevelItem(i);
        const FlightInfo& flight = query_.flights()[row->data(0, Qt::UserRole).value<qsizetype>()];
        row->setSelected(wanted.contains({flight.path, flight.slot}));
    }
}

void DataSelectionDialog::showSelectionProblems(const FlightSelection& selection)
{
    if (!selection.limitWarning.isEmpty())
        prompts().warning(this, QStringLiteral("Warning"), selection.limitWarning);
    for (const QString& failure : selection.failures)
        prompts().critical(this, QStringLiteral("DataSelectionDialog::ExtractFlightData"), failure);
}

void DataSelectionDialog::on_buttonBox_accepted()
{
    const FlightFilter filter = currentFilter();
    settings::setValue(settings::LastAircraft, filter.registration);
    settings::setValue(settings::LastSelectedEngine, filter.enginePosition);
    settings::setValue(settings::Plot2D_MemType, filter.memoryType);

    const FlightSelection selection = query_.read(selectedFlights());
    showSelectionProblems(selection);
    result_ = selection.records;
    accept();
}

void DataSelectionDialog::on_buttonBox_rejected() { reject(); }
