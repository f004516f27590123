#include "plot/ui/DataSelectionDialog.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "flights/AircraftList.h"
#include "flights/RawFileReader.h"
#include "ui_DataSelectionDialog.h"

#include <QButtonGroup>
#include <QFileInfo>

namespace {
const QString kDateTimeFormat = QStringLiteral("yyyy.MM.dd hh:mm:ss");
}

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
    flights_ = scanRawFiles(dataRootPath());
    fillAircraftChoices();
    if (!flights_.isEmpty())
        buildFlightList();

    connect(engineGroup_, &QButtonGroup::idClicked, this, &DataSelectionDialog::buildFlightList);
    connect(memoryGroup_, &QButtonGroup::idClicked, this, &DataSelectionDialog::buildFlightList);
    connect(ui_->comboBoxAircraftId, &QComboBox::currentIndexChanged, this, &DataSelectionDialog::buildFlightList);
    ui_->comboBoxAircraftId->setCurrentIndex(
        ui_->comboBoxAircraftId->findText(lastAircraft, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

DataSelectionDialog::~DataSelectionDialog() = default;

// The registrations found in the raw files, each once, in the order found.
void DataSelectionDialog::fillAircraftChoices()
{
    for (const FlightInfo& flight : flights_)
        if (ui_->comboBoxAircraftId->findText(flight.registration, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            ui_->comboBoxAircraftId->addItem(flight.registration);
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

void DataSelectionDialog::buildFlightList()
{
    const int engine = engineGroup_->checkedId();
    const int memoryType = memoryGroup_->checkedId();
    const QString registration = ui_->comboBoxAircraftId->currentText();
    showEngineSerialNumber(engine);

    QTreeWidget* tree = ui_->flightDataTreeWidget;
    tree->clear();
    for (int k = 0; k < flights_.size(); ++k) {
        const FlightInfo& flight = flights_[k];
        if (flight.flightNumber == 0 || flight.registration != registration
            || flight.enginePosition != engine || flight.memoryType != memoryType)
            continue;
        auto* row = new QTreeWidgetItem(tree);
        row->setText(0, QStringLiteral("%1").arg(flight.flightNumber, 5, 10, QLatin1Char('0')));
        row->setText(1, flight.dateTime.toString(kDateTimeFormat));
        row->setText(2, QFileInfo(flight.path).lastModified().toString(kDateTimeFormat));
        row->setData(0, Qt::UserRole, k);  // sorting must not lose the link to the list
    }
    for (int column = 0; column < tree->columnCount(); ++column)
        tree->resizeColumnToContents(column);
}

std::shared_ptr<const FlightRecord> DataSelectionDialog::readFlight(const FlightInfo& flight)
{
    auto record = std::make_shared<FlightRecord>();
    const QString failure = extractFlightData(flight, record->header, record->block);
    if (!failure.isEmpty()) {
        prompts().critical(this, QStringLiteral("DataSelectionDialog::ExtractFlightData"),
                           QStringLiteral("Flight %1 of %2 cannot be read (%3) and is left out.")
                               .arg(flight.flightNumber)
                               .arg(flight.path, failure));
        return nullptr;
    }
    record->registration = flight.registration;
    record->enginePosition = flight.enginePosition;
    record->flightNumber = flight.flightNumber;
    record->memoryType = flight.memoryType;
    return record;
}

void DataSelectionDialog::on_buttonBox_accepted()
{
    settings::setValue(settings::LastAircraft, ui_->comboBoxAircraftId->currentText());
    settings::setValue(settings::LastSelectedEngine, engineGroup_->checkedId());
    settings::setValue(settings::Plot2D_MemType, memoryGroup_->checkedId());

    const QList<QTreeWidgetItem*> selected = ui_->flightDataTreeWidget->selectedItems();
    if (selected.size() > kFlightLimit)
        prompts().warning(this, QStringLiteral("Warning"),
                          QStringLiteral("Too many flights selected. Maximum allowed is %1").arg(kFlightLimit));
    result_.clear();
    for (QTreeWidgetItem* row : selected) {
        if (result_.size() == kFlightLimit)
            break;
        if (auto record = readFlight(flights_[row->data(0, Qt::UserRole).toInt()]))
            result_.append(record);
    }
    accept();
}

void DataSelectionDialog::on_buttonBox_rejected() { reject(); }
