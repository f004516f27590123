#include "cli/CliIndicator.h"

#include "core/MessageText.h"

namespace cli {

namespace {

const QString kParameter = QStringLiteral("parameter");
const QString kBin = QStringLiteral("bin");
const QString kHighest = QStringLiteral("highest");

int parameterGiven(const CommandLine& line)
{
    const std::optional<int> id = trend::parameterId(line.value(kParameter));
    require(id.has_value(), QStringLiteral("--parameter takes an id from 0 to 21 or a menu entry such as "
                                           "\"A4R (avg)\", not \"")
                                + messageText(line.value(kParameter)) + QStringLiteral("\"."));
    return *id;
}

}  // namespace

void addIndicatorOptions(CommandLine& line)
{
    line.add({kParameter, QStringLiteral("Steady-state parameter: an id from 0 to 21 or its menu entry, "
                                         "as \"A4R\" or \"A4R (avg)\" (any case)."),
              QStringLiteral("P")});
    line.add({kBin, QStringLiteral("Bin, 1 to 26."), QStringLiteral("B")});
    line.add({kHighest, QStringLiteral("The highest bin of each flight: its largest finite, non-zero value.")});
}

trend::TrendChoice chosenIndicator(const CommandLine& line)
{
    trend::TrendChoice choice;
    if (!line.isSet(kParameter)) {
        require(!line.isSet(kBin) && !line.isSet(kHighest), QStringLiteral("--bin and --highest go with --parameter."));
        return choice;
    }
    require(line.isSet(kBin) != line.isSet(kHighest), QStringLiteral("Give either --bin or --highest with --parameter."));
    choice.parameter = parameterGiven(line);
    choice.bin = line.isSet(kBin) ? line.number(kBin, 1, trend::kBins) : trend::kHighestBin;
    return choice;
}

}  // namespace cli
