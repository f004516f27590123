#include "flights/CorrectionTable.h"

#include "core/Prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

QString CorrectionTable::defaultPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/correction_table.csv");
}

CorrectionTable::CorrectionTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts().warning(nullptr, QStringLiteral("Error"),
                          QStringLiteral("Cannot open %1: %2").arg(file.fileName(), file.errorString()));
        return;
    }
    QTextStream in(&file);
    in.readLine();  // column headings
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char(';'), Qt::KeepEmptyParts);
        if (fields.size() < 3)
            continue;  // not a table line
        // A bin index that is not a number files its line under bin 0.
        const Entry entry{fields[0].trimmed().toInt(), fields[1].trimmed().toDouble(), fields[2].trimmed().toDouble()};
        entries_.insert(entry.bin, entry);
    }
    for (int bin = 0; bin < sampling::kBins; ++bin)
        spectrumFactors_[bin] = entries_.value(bin, Entry{}).factor;
}

const CorrectionTable& exportCorrectionTable()
{
    static const CorrectionTable table(CorrectionTable::defaultPath());
    return table;
}
