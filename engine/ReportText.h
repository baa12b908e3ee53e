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

// Seconds as "m:ss".
std::string MinutesAndSeconds(double seconds);

}  // namespace kelvane
