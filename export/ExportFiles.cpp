#include "export/ExportFiles.h"

#include "core/AircraftInfo.h"
#include "core/AppIdentity.h"
#include "core/CheckedSaveFile.h"
#include "core/Clock.h"
#include "core/NumberFormat.h"
#include "core/Registration.h"
#include "flights/Spectrum.h"

#include <QTextStream>
#include <vector>

namespace {

const char* const kSteadyParameterNames[] = {
    "A4R_AVG", "TR4R_AVG", "A4R_STD_DEV", "TR4R_STD_DEV", "CN1_AVG", "CN2_AVG", "CDN_AVG", "A4R",
    "TR4R",    "N1_4R",    "N2_4R",       "CN1",          "CN2",     "CDN",     "A3B_AVG", "TR3B_AVG",
    "A3B_STD_DEV", "TR3B_STD_DEV", "A3B", "TR3B", "N1_3B", "N2_3B"};
const char* const kTransientParameterNames[] = {"A4R", "TR4R", "N1_4R", "N2_4R", "CN1", "CN2",
                                                "CDN", "A3B",  "TR3B",  "N1_3B", "N2_3B"};
const char* const kBinAbbreviations[] = {"TOC", "TOD", "AOD", "AOA"};
const char* const kBinTitles[] = {"TOC (Top Of Climb)", "TOD (Top Of Descent)", "AOD (All Other Decels)",
                                  "AOA (All Other Accels)"};

// The shaft speeds at 4R: N1 and N2.
constexpr int kSteadyExported[] = {9, 10};
constexpr int kTransientExported[] = {2, 3};
constexpr int kSteadyBins = 26;
constexpr int kTransientBins = 4;
constexpr int kTimeHistories = 10;

constexpr int kLabelWidth = 25;
constexpr int kRuleWidth = 80;

// The spectra are written from the first line above 1000 Hz.
constexpr int firstLineAbove(double hz)
{
    int line = 0;
    while (line * sampling::kBinSpacingHz <= hz)
        ++line;
    return line;
}
constexpr int kFirstExportedLine = firstLineAbove(1000.0);
static_assert(kFirstExportedLine == 210);

QString rule() { return QString(kRuleWidth, QLatin1Char('#')); }

QString labelled(const QString& label, const QString& value)
{
    return label.leftJustified(kLabelWidth) + value + QLatin1Char('\n');
}

template <std::size_t N>
QString textOrNa(const char (&field)[N])
{
    const QString text = textOf(field);
    return text.isEmpty() ? QStringLiteral("N/A") : text;
}

QString memoryTypeName(const FlightRecord& flight)
{
    return flight.memoryType == 1 ? QStringLiteral("POD") : QStringLiteral("PRD");
}

QDateTime rawFileTime(const RawFileHeader& header) { return QDateTime::fromSecsSinceEpoch(header.creationTime); }

// A fixed English form whatever the locale: "Mon Dec 7 03:45:31 2026".
QString textDate(const QDateTime& time) { return time.toLocalTime().toString(Qt::TextDate); }

void appendRightAligned(QByteArray& out, QByteArrayView text, int width)
{
    for (qsizetype pad = width - text.size(); pad > 0; --pad)
        out += ' ';
    out += text;
}

// The rule that closes a file's own header lines, and the empty line after it.
void appendRule(QByteArray& out) { out += (rule() + QStringLiteral("\n\n")).toLatin1(); }

// "<title><number in 3><value in 10>", then nine blanks: the value's field
// width was still in force when the line end was written.
void appendValueLine(QByteArray& out, const char* title, int number, float value)
{
    out += title;
    appendRightAligned(out, QByteArray::number(number), 3);
    QByteArray text;
    appendG(text, value);
    appendRightAligned(out, text, 10);
    out += "         \n";
}

// One row per spectral line above 1000 Hz: its frequency, then the line of each spectrum.
void appendSpectraRows(QByteArray& out, const std::vector<double>& spectra, int count)
{
    out.reserve(out.size() + (sampling::kBins - kFirstExportedLine) * (count + 1) * 13);
    for (int line = kFirstExportedLine; line < sampling::kBins; ++line) {
        appendG(out, line * sampling::kBinSpacingHz);
        for (int s = 0; s < count; ++s) {
            out += ',';
            appendG(out, spectra[std::size_t(s) * sampling::kBins + line]);
        }
        out += '\n';
    }
}

// The spectra of count consecutive time histories.
std::vector<double> spectraOf(const qint16 (*timeHistories)[sampling::kSamples], int count)
{
    std::vector<double> spectra;
    spectra.reserve(std::size_t(count) * sampling::kBins);
    for (int s = 0; s < count; ++s)
        exportSpectrum(timeHistories[s], false, spectra);
    return spectra;
}

QString parameterLine(const char* name)
{
    return labelled(QStringLiteral("# Parameter:"), QLatin1String(name) + QStringLiteral(" (RPM)"));
}
QString windowLine() { return labelled(QStringLiteral("# FFT Window Type:"), QStringLiteral("None")); }

QByteArray steadyStateText(const QByteArray& header, const FlightRecord& flight, int parameter)
{
    QByteArray text = header;
    text += parameterLine(kSteadyParameterNames[parameter]).toLatin1();
    appendRule(text);
    for (int bin = 0; bin < kSteadyBins; ++bin)
        appendValueLine(text, "Bin", bin + 1, flight.block.steadyParameters[parameter][bin]);
    return text;
}

QByteArray steadyStateSpectra(const QByteArray& header, const FlightRecord& flight)
{
    QByteArray text = header;
    text += windowLine().toLatin1();
    appendRule(text);
    appendSpectraRows(text, spectraOf(flight.block.steadySamples, kSteadyBins), kSteadyBins);
    return text;
}

QByteArray transientText(const QByteArray& header, const FlightRecord& flight, int parameter, int bin)
{
    QByteArray text = header;
    text += labelled(QStringLiteral("# Transient bin:"), QLatin1String(kBinTitles[bin])).toLatin1();
    text += parameterLine(kTransientParameterNames[parameter]).toLatin1();
    appendRule(text);
    for (int t = 0; t < kTimeHistories; ++t)
        appendValueLine(text, "Time History Number", t + 1, flight.block.transientParameters[parameter][bin][t]);
    return text;
}

QByteArray transientSpectra(const QByteArray& header, const FlightRecord& flight, int bin)
{
    QByteArray text = header;
    text += windowLine().toLatin1();
    text += labelled(QStringLiteral("# Transient Bin:"), QLatin1String(kBinTitles[bin])).toLatin1();
    appendRule(text);
    appendSpectraRows(text, spectraOf(flight.block.transientSamples[bin], kTimeHistories), kTimeHistories);
    return text;
}

QList<ExportFile> makeExportFiles()
{
    QList<ExportFile> files;
    for (int parameter : kSteadyExported)
        files.append({QStringLiteral("SS%1.txt").arg(QLatin1String(kSteadyParameterNames[parameter])),
                      [parameter](const QByteArray& header, const FlightRecord& flight) {
                          return steadyStateText(header, flight, parameter);
                      }});
    files.append({QStringLiteral("SS.csv"), steadyStateSpectra});
    for (int parameter : kTransientExported)
        for (int bin = 0; bin < kTransientBins; ++bin)
            files.append({QLatin1String(kBinAbbreviations[bin]) + QLatin1String(kTransientParameterNames[parameter])
                              + QStringLiteral(".txt"),
                          [parameter, bin](const QByteArray& header, const FlightRecord& flight) {
                              return transientText(header, flight, parameter, bin);
                          }});
    for (int bin = 0; bin < kTransientBins; ++bin)
        files.append({QLatin1String(kBinAbbreviations[bin]) + QStringLiteral(".csv"),
                      [bin](const QByteArray& header, const FlightRecord& flight) {
                          return transientSpectra(header, flight, bin);
                      }});
    return files;
}

}  // namespace

void writeExportHeader(QTextStream& out, const RawFileHeader& header)
{
    out << rule() << '\n';
    out << "# Generated by" << app::kShortTitle << '(' << app::versionString() << ") on " << textDate(Clock::now())
        << '\n';
    out << labelled(QStringLiteral("# Korvel PNR:"), textOrNa(header.unitPartNumber));
    out << labelled(QStringLiteral("# Korvel SER:"), textOrNa(header.unitSerialNumber));
    out << labelled(QStringLiteral("# Main Boot PNR:"), textOrNa(header.mainBootPartNumber));
    out << labelled(QStringLiteral("# Main Prog PNR:"), textOrNa(header.mainProgPartNumber));
    out << labelled(QStringLiteral("# DSP Boot PNR:"), textOrNa(header.dspBootPartNumber));
    out << labelled(QStringLiteral("# DSP Prog PNR:"), textOrNa(header.dspProgPartNumber));
    out << labelled(QStringLiteral("# DSP Config Table PNR:"), textOrNa(header.dspConfigTablePartNumber));
}

void writeFlightHeader(const FlightRecord& flight, QTextStream& out)
{
    const RawFileHeader& header = flight.header;
    out << labelled(QStringLiteral("# Aircraft Id:"), textOrNa(header.registration));
    out << labelled(QStringLiteral("# Engine position:"), QString::number(header.engineNumber));
    out << labelled(QStringLiteral("# Engine type:"), textOrNa(header.engineType));
    out << labelled(QStringLiteral("# Engine SER:"), textOrNa(header.unitEngineSerialNumber));
    out << labelled(QStringLiteral("# Flight date:"), textDate(rawFileTime(header)));
    out << labelled(QStringLiteral("# Flight number:"), QString::number(flight.flightNumber));
    out << labelled(QStringLiteral("# Memory type:"), memoryTypeName(flight));
}

QByteArray exportHeaderBlock(const FlightRecord& flight)
{
    QByteArray block;
    {
        // The raw file's text fields hold text in the local 8-bit encoding; they leave in it.
        QTextStream out(&block, QIODevice::WriteOnly);
        out.setEncoding(QStringConverter::System);
        writeExportHeader(out, flight.header);
        writeFlightHeader(flight, out);
    }
    return block;
}

QString flightRefusal(const FlightRecord& flight)
{
    const auto refuse = [&](const QString& what, const QString& name, const QString& problem) {
        return QStringLiteral("Flight %1 of engine %2 was not exported: its %3 \"%4\" %5.")
            .arg(QString::number(flight.flightNumber), QString::number(flight.header.engineNumber), what, name,
                 problem);
    };
    const QString registration = textOf(flight.header.registration);
    if (const QString problem = fileNameProblem(registration); !problem.isEmpty())
        return refuse(QStringLiteral("registration"), registration, problem);
    const QString serial = textOf(flight.header.unitEngineSerialNumber);
    if (const QString problem = fileNameProblem(serial); !problem.isEmpty())
        return refuse(QStringLiteral("engine serial number"), serial, problem);
    return {};
}

QString flightDirectoryName(const FlightRecord& flight)
{
    const RawFileHeader& header = flight.header;
    const QString serial = textOf(header.unitEngineSerialNumber);
    // One pass of arg(): a '%' in a registration is not taken for a place holder.
    return QStringLiteral("%1-engine%2-%3%4-%5-F%6")
        .arg(textOf(header.registration), QString::number(header.engineNumber),
             serial.isEmpty() ? QString() : QStringLiteral("ESN%1-").arg(serial),
             rawFileTime(header).toString(QStringLiteral("yyyyMMdd-hhmmss")), memoryTypeName(flight),
             QString::number(flight.flightNumber));
}

const QList<ExportFile>& exportFiles()
{
    static const QList<ExportFile> files = makeExportFiles();
    return files;
}

QString saveExportText(const QString& path, const QByteArray& text)
{
    CheckedSaveFile file(path);
    // Text mode: each line ends with the platform's line end.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    file.write(text);
    if (const QString reason = file.commitWhole(); !reason.isEmpty())
        return QStringLiteral("%1: %2").arg(path, reason);
    return {};
}

QString writeExportFile(const ExportFile& file, const QByteArray& header, const FlightRecord& flight,
                        const QString& directory)
{
    return saveExportText(directory + QLatin1Char('/') + file.name, file.content(header, flight));
}
