// The songs of one command line, converted one after another or, with
// -j N, N at once. Either way each song's lines appear together and in the
// order the songs were given, and the image holds what converting them one
// after another would leave in it.
#pragma once

#include <string>
#include <vector>

#include "ConversionReport.h"
#include "Conversions.h"
#include "FileSystem.h"
#include "Options.h"

namespace kelvane::cli {

struct SongResult {
    std::string midiFile;
    ConversionReport report;
    bool ok = true;  // the conversion and every file asked for succeeded
};

// Converts each MIDI file of `options` as ConvertFile does, with its own
// files where the options name folders (SongOptions), and prints its report
// table when asked. `templateSearch` follows a missing template's message.
// The results are in the order of the files.
std::vector<SongResult> ConvertSongs(FileSystem& files, const Options& options, const RunPaths& paths,
                                     const std::string& templateSearch);

}  // namespace kelvane::cli
