// The conversion report as a person reads it (a table) and as a script reads
// it (JSON). Both are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"

namespace kelvane {

// Gives a text of the table in the reader's language: the text itself, or its
// translation from a catalogue. "{1}", "{2}" in a text stand for numbers and
// names the table fills in.
using Translator = const char* (*)(const char* text);

// Lines end in "\n"; the caller turns them into its platform's line ends.
// Without a translator the table is English. Columns line up on a terminal
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
