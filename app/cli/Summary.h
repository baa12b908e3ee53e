// What the command line says once every song of a run is done: which song
// the image holds, and how the songs went.
#pragma once

#include <string>
#include <vector>

#include "SongJobs.h"

namespace kelvane::cli {

// With several songs the image holds one of them, the last that replaced
// it: a line of advice on standard error names it.
void SayWhatImageHolds(const std::vector<SongResult>& results, const std::string& romPath);

// With several songs, a last line on standard output: how many succeeded,
// failed, or were refused before their tracks were read.
void PrintSummary(const std::vector<SongResult>& results);

}  // namespace kelvane::cli
