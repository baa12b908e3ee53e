// What the front ends tell the user after a run, beside its status lines:
// that a plain conversion lost most of the music or plays at the wrong speed
// (TempoAdvice, in ReportText.h, which the report shares), what the
// arrangement gave each voice, and the report file an arranged run leaves
// beside its outputs.
#pragma once

#include <string>

#include "ConversionReport.h"
#include "FileSystem.h"
#include "ReportText.h"

namespace kelvane {

// More than half of the file's notes reached no stream (a format 0 file,
// notes on the conductor track, chords in one track): arranging would help.
bool MostNotesLost(const ConversionReport& report);

// "编排: 方波1 312音, 方波2 120音, 三角波 201音, 噪音 480击, DPCM 96击; 歌曲空间 61%"
// (no newline).
std::string ArrangementLine(const ConversionReport& report);

// Writes the report table as UTF-8 with a byte order mark and CR LF line
// ends, replacing `path` only when complete.
bool WriteReportFile(FileSystem& files, const std::string& path, const ConversionReport& report);

}  // namespace kelvane
