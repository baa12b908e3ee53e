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

// Advice on the speed of a plain conversion, one line without its line end,
// or "" when it plays at its own speed: its tempo bytes give units of no
// time, or the driver plays it more than 2 % too fast.
// `arrangeName` names the arrangement as the front end offers it
// ("--arrange", or the dialog's check box).
std::string TempoAdvice(const ConversionReport& report, const std::string& arrangeName);

// Seconds as "m:ss".
std::string MinutesAndSeconds(double seconds);

}  // namespace kelvane
