// tolm-cli spectrum: the spectrum the plot window's FFT plot shows of one
// time history, as CSV on standard output, computed by the window's own model.

#include "cli/CliCommand.h"
#include "cli/Commands.h"
#include "core/NumberFormat.h"
#include "plot/PlotModel.h"

namespace {

const QString kBin = QStringLiteral("bin");
const QString kTransient = QStringLiteral("transient");
const QString kEvent = QStringLiteral("event");
const QString kWindow = QStringLiteral("window");
// In the order of the plot window's menus and of the recorded captures.
const QStringList kTransientTypes = {QStringLiteral("TOC"), QStringLiteral("TOD"), QStringLiteral("AOD"),
                                     QStringLiteral("AOA")};
const QStringList kWindows = {QStringLiteral("none"), QStringLiteral("hanning"), QStringLiteral("hamming")};

// Which time history of the flight: a steady-state bin, or an event of a transient type.
struct Source {
    bool steadyState = true;
    int sample = 0;     // bin 0..25 or event 0..9
    int transient = 0;  // 0..3
};

Source chosenSource(const cli::CommandLine& line)
{
    const bool steady = line.isSet(kBin);
    cli::require(steady != line.isSet(kTransient), QStringLiteral("Give either --bin or --transient with --event."));
    if (steady) {
        cli::require(!line.isSet(kEvent), QStringLiteral("--event goes with --transient."));
        return {true, line.number(kBin, 1, plot::kBins) - 1, 0};
    }
    cli::require(line.isSet(kEvent), QStringLiteral("--transient needs --event."));
    return {false, line.number(kEvent, 1, plot::kEvents) - 1, line.choice(kTransient, kTransientTypes)};
}

}  // namespace

int runSpectrum(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("spectrum"),
                          QStringLiteral("Prints the spectrum of one time history as the plot window's FFT plot "
                                         "shows it, as CSV: frequency (Hz), amplitude (G pk, compensated)."),
                          cli::CommandLine::ReadsData,
                          {QStringLiteral("tolm-cli spectrum ESN123456-fd-20261208-1344.raw:3 --bin 12"),
                           QStringLiteral("tolm-cli spectrum ESN123456-fd-20261208-1344.raw@1 --transient TOC --event 2")});
    line.add({kBin, QStringLiteral("Steady-state bin, 1 to 26."), QStringLiteral("B")});
    line.add({kTransient, QStringLiteral("Transient type: TOC, TOD, AOD or AOA."), QStringLiteral("T")});
    line.add({kEvent, QStringLiteral("Transient event, 1 to 10."), QStringLiteral("E")});
    line.add({kWindow, QStringLiteral("FFT window: none, hanning or hamming (default: the plot window's)."),
              QStringLiteral("W")});
    line.parser().addPositionalArgument(QStringLiteral("RAW:FLIGHT|RAW@SLOT"),
                                        QStringLiteral("The first slot of the raw file holding the flight number, "
                                                       "or the slot (0 to 20) named."));
    line.parse(arguments);
    cli::require(line.positional().size() == 1, QStringLiteral("spectrum takes one RAW:FLIGHT or RAW@SLOT."));
    const Source source = chosenSource(line);
    const std::optional<int> window =
        line.isSet(kWindow) ? std::optional<int>(line.choice(kWindow, kWindows)) : std::nullopt;

    PlotModel model({cli::flightNamed(line.positional().first())}, CorrectionTable(CorrectionTable::defaultPath()));
    model.loadSettings();  // the window's FFT window unless one is given
    model.setMode(source.steadyState ? plot::SteadyState : plot::Transient);
    model.setTransientType(source.transient);
    model.setParameter(plot::kSpectrum);
    model.chooseBin(source.sample);
    if (window)
        model.setFftWindow(*window);
    const PlotData spectrum = model.build();
    cli::printLine(QStringLiteral("%1,%2").arg(spectrum.xTitle, spectrum.yTitle));
    for (int k = 0; k < spectrum.pointCount(); ++k)
        cli::printLine(QStringLiteral("%1,%2").arg(formatG(spectrum.x[k]), formatG(spectrum.y[0][k])));
    return cli::Success;
}
