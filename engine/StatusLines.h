// The status lines of a run, formatted from its report: the dialog shows them
// and the command line prints them, in the program's own words.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"

namespace kelvane {

// Fills the %d and %s fields of a pattern in order. Paths and names have no
// length limit, so nothing is cut.
std::string FormatLine(const char* pattern, const std::vector<std::string>& values);

// What an arranged run gave each voice, the line after the header:
// "编排：方波1 312音，方波2 120音，三角波 201音，噪声 480击，DPCM 96击；歌曲空间 61%"
// (no newline).
std::string ArrangementLine(const ConversionReport& report);

// Every line, oldest first; `advice` stands just before the "输出文件:" line
// of a run that reached its tracks.
std::vector<std::string> StatusLines(const ConversionReport& report, const std::vector<std::string>& advice);

// Fills the warnings a reader of the report should see.
void AddWarnings(ConversionReport& report);

}  // namespace kelvane
