#include "link/PartNumberRecord.h"

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
