// The conversion report as a person reads it (a table) and as a script reads
// it (JSON). Both are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"
#include "FillText.h"

namespace kelvane {

// Lines end in "\n"; the caller turns them into its platform's line ends.
// Without a translator the table is English; a translator is given the
// table's English texts, with "{1}", "{2}" where numbers and names go. Columns line up on a terminal
// whatever the language: a Chinese character takes two columns.
std::string ReportTable(const ConversionReport& report, Translator translate = nullptr);

// The warnings the conversion itself gives (the arrangement adds its own),
// in the order AddWarnings puts them into the report.
std::vector<std::string> ConversionWarnings(const ConversionReport& report, Translator translate = nullptr);

// One JSON object, without a line end.
std::string ReportJson(const ConversionReport& report);

// Advice on the speed of a plain conversion, one line without its line end,
// or "": its tempo bytes give units of no time (the driver plays it far too
// fast), or, with `evenSlightly`, the driver plays it more than 2 % too fast
// (as most tempos are: the report says so; the front ends only the former).
// `arrangeName` names the arrangement as the front end offers it
// ("--arrange", or the dialog's check box). Without a translator, English.
std::string TempoAdvice(const ConversionReport& report, const std::string& arrangeName, bool evenSlightly = false,
                        Translator translate = nullptr);

// Seconds as "m:ss".
std::string MinutesAndSeconds(double seconds);

}  // namespace kelvane
