#pragma once
// The health indicator the trend and fleet commands read: --parameter with
// --bin or --highest.

#include "cli/CliCommand.h"
#include "trend/TrendSeries.h"

namespace cli {

// Adds --parameter, --bin and --highest.
void addIndicatorOptions(CommandLine& line);
// The indicator given, A4R of the highest bin without --parameter; ends with
// BadInput when the options are out of range or do not go together.
trend::TrendChoice chosenIndicator(const CommandLine& line);

}  // namespace cli
