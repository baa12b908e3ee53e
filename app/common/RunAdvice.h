// What the front ends tell the user after a run, beside its status lines:
// that a plain conversion lost most of the music or plays at the wrong speed
// (TempoAdvice, in ReportText.h, which the report shares), and the report
// file an arranged run leaves beside its outputs. What the arrangement gave
// each voice is a status line of the run's own (engine/StatusLines.h).
#pragma once

#include <string>

#include "ConversionReport.h"
#include "FileSystem.h"
#include "ReportText.h"

namespace kelvane {

// More than half of the file's notes reached no stream (a format 0 file,
// notes on the conductor track, chords in one track): arranging would help.
bool MostNotesLost(const ConversionReport& report);

// The report table in Chinese, as the dialog shows everything: the voices
// 方波1, 方波2, 三角波, 噪声, DPCM, the columns 音符, 重叠, 过短, 字节.
std::string ChineseReportTable(const ConversionReport& report);

// Writes the Chinese report table as UTF-8 with a byte order mark and CR LF line
// ends, replacing `path` only when complete.
bool WriteReportFile(FileSystem& files, const std::string& path, const ConversionReport& report);

}  // namespace kelvane
