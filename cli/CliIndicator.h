#pragma once
// The health indicator the trend and fleet commands read: --parameter with
// --bin or --highest, and --memory for the trend.

#include "cli/CliCommand.h"
#include "trend/TrendSeries.h"

namespace cli {

// Adds --parameter, --bin and --highest.
void addIndicatorOptions(CommandLine& line);
// The indicator given; ends with BadInput when the options are out of range or
// do not go together. Without --parameter, `fallback` (which --bin and
// --highest then may not change).
trend::TrendChoice chosenIndicator(const CommandLine& line, const trend::TrendChoice& fallback = {});

}  // namespace cli
