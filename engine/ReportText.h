// The conversion report as a person reads it (a table) and as a script reads
// it (JSON). Both are UTF-8.
#pragma once

#include <string>

#include "ConversionReport.h"

namespace kelvane {

// Lines end in "\n"; the caller turns them into its platform's line ends.
std::string ReportTable(const ConversionReport& report);

// One JSON object, without a line end.
std::string ReportJson(const ConversionReport& report);

// Seconds as "m:ss".
std::string MinutesAndSeconds(double seconds);

}  // namespace kelvane
