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
// or "": its tempo bytes give units of no time (the driver plays it far too
// fast), or, with `evenSlightly`, the driver plays it more than 2 % too fast
// (as most tempos are: the report says so; the front ends only the former).
// `arrangeName` names the arrangement as the front end offers it
// ("--arrange", or the dialog's check box).
std::string TempoAdvice(const ConversionReport& report, const std::string& arrangeName, bool evenSlightly = false);

// Seconds as "m:ss".
std::string MinutesAndSeconds(double seconds);

}  // namespace kelvane
