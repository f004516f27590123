#include "link/PartNumberRecord.h"

#include "core/MessageText.h"

#include <QFile>
#include <cstring>

template <std::size_t N>
static void terminate(char (&field)[N])
{
    field[N - 1] = '\0';
}

void terminateTextFields(PartNumberRecord& record)
{
    terminate(record.unitPartNumber);
    terminate(record.unitSerialNumber);
    terminate(record.aircraftRegistration);
    terminate(record.engineSerialNumber);
    terminate(record.mainBootPartNumber);
    terminate(record.mainProgPartNumber);
    terminate(record.dspBootPartNumber);
    terminate(record.dspProgPartNumber);
    terminate(record.dspUnused);
    terminate(record.dspConfigTablePartNumber);
    for (auto& text : record.spareText)
        terminate(text);
}

QString readPartNumberFile(const QString& path, PartNumberRecord& record)
{
    QFile file(path);
    QString failure;
    char header[12];
    if (!file.open(QIODevice::ReadOnly))
        failure = QStringLiteral("Failed to open %1 (error = %2)").arg(messageText(file.fileName()), QString::number(int(file.error())));
    // The answer must be exactly as long as its layout: nothing is read past its end.
    else if (file.size() != kPartNumberAnswerSize || file.read(header, sizeof header) != sizeof header
             || file.read(reinterpret_cast<char*>(&record), sizeof record) != sizeof record)
        failure = QStringLiteral("Error decoding Part Number message");
    if (!failure.isEmpty()) {
        std::memset(&record, 0, sizeof record);
        return failure;
    }
    terminateTextFields(record);
    return {};
}

static bool fitsFamily(const QString& partNumber, QChar thirteenth)
{
    return partNumber.startsWith(QLatin1String("614")) && partNumber.mid(4, 2) == QLatin1String("20")
           && partNumber.at(12) == thirteenth;
}

bool partNumbersCompatible(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return true;
    if (first.size() < 13 || second.size() < 13)
        return false;
    const QChar thirteenth = first.at(12);
    return fitsFamily(first, thirteenth) && fitsFamily(second, thirteenth);
}

bool unitInUploadMode(const PartNumberRecord& record)
{
    return fieldText(record.dspProgPartNumber).isEmpty()
           || fieldText(record.dspConfigTablePartNumber).isEmpty();
}

bool unitSoftwareExpected(const PartNumberRecord& record)
{
    return fieldText(record.mainProgPartNumber).startsWith(QLatin1String("614-205-000-1"))
           && fieldText(record.dspProgPartNumber).startsWith(QLatin1String("614-207-000-2"))
           && fieldText(record.dspConfigTablePartNumber).startsWith(QLatin1String("614-208-000-2"));
}

QString PartNumberRow::crcText() const
{
    return crc ? QStringLiteral("(0x%1)").arg(*crc, 0, 16) : QString();
}

QList<PartNumberRow> partNumberRows(const PartNumberRecord& record)
{
    return {
        {"Korvel PNR:", "korvelPN", fieldText(record.unitPartNumber), nullptr, std::nullopt},
        {"Korvel SER:", "korvelSN", fieldText(record.unitSerialNumber), nullptr, std::nullopt},
        {"Main Boot PNR:", "mainBootPn", fieldText(record.mainBootPartNumber), nullptr, std::nullopt},
        {"Main Prog PNR:", "mainProgPn", fieldText(record.mainProgPartNumber), "mainProgCrc", record.mainProgCrc},
        {"DSP Boot PNR:", "dspBootPn", fieldText(record.dspBootPartNumber), "dspBootCrc", record.dspBootCrc},
        {"DSP Prog PNR:", "dspProgPn", fieldText(record.dspProgPartNumber), "dspProgCrc", record.dspProgCrc},
        {"DSP Config Table PNR:", "dspConfigTablePn", fieldText(record.dspConfigTablePartNumber),
         "dspConfigTableCrc", record.dspConfigTableCrc},
    };
}
