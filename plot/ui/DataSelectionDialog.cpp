#include "plot/ui/DataSelectionDialog.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "flights/AircraftList.h"
#include "ui_DataSelectionDialog.h"

#include <QButtonGroup>

DataSelectionDialog::DataSelectionDialog(QWidget* parent, FlightRecordList& flights)
    : QDialog(parent),
      ui_(std::make_unique<Ui::DataSelectionDialogClass>()),
      result_(flights),
      engineGroup_(new QButtonGroup(this)),
      memoryGroup_(new QButtonGroup(this))
{
    ui_->setupUi(this);
    ui_->flightDataTreeWidget->setSelectionMode(QAbstractItemView::ExtendedSelection);
    engineGroup_->addButton(ui_->radioButtonEngine1, 1);
    engineGroup_->addButton(ui_->radioButtonEngine2, 2);
    engineGroup_->addButton(ui_->radioButtonEngine3, 3);
    engineGroup_->addButton(ui_->radioButtonEngine4, 4);
    memoryGroup_->addButton(ui_->radioButtonPreDefect, 0);
    memoryGroup_->addButton(ui_->radioButtonPostDefect, 1);

    const QString lastAircraft = settings::text(settings::LastAircraft);
    if (QAbstractButton* engine = engineGroup_->button(settings::integer(settings::LastSelectedEngine)))
        engine->setChecked(true);
    if (QAbstractButton* memory = memoryGroup_->button(settings::integer(settings::Plot2D_MemType)))
        memory->setChecked(true);

    QLabel waiting(QStringLiteral("Extracting data. Please wait..."), this);
    waiting.setMargin(10);
    waiting.show();
    aircraft_ = BuildAircraftInfoList();
    query_ = FlightQuery(scanRawFiles(dataRootPath()));
    fillAircraftChoices();
    if (!query_.flights().isEmpty())
        buildFlightList();
    else
        fitColumns();  // an empty list still shows its column titles whole

    connect(engineGroup_, &QButtonGroup::idClicked, this, &DataSelectionDialog::buildFlightList);
    connect(memoryGroup_, &QButtonGroup::idClicked, this, &DataSelectionDialog::buildFlightList);
    connect(ui_->comboBoxAircraftId, &QComboBox::currentIndexChanged, this, &DataSelectionDialog::buildFlightList);
    ui_->comboBoxAircraftId->setCurrentIndex(
        ui_->comboBoxAircraftId->findText(lastAircraft, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

DataSelectionDialog::~DataSelectionDialog() = default;

void DataSelectionDialog::fillAircraftChoices()
{
    ui_->comboBoxAircraftId->addItems(query_.registrations());
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

// The chosen flights in the order the tree reports them.
QList<qsizetype> DataSelectionDialog::selectedFlights() const
{
    QList<qsizetype> chosen;
    for (const QTreeWidgetItem* row : ui_->flightDataTreeWidget->selectedItems())
        chosen.append(row->data(0, Qt::UserRole).value<qsizetype>());
    return chosen;
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
