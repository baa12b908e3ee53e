// One MIDI file through the converter as the command line's options ask:
// arranged first when asked, the NSF and the WAV preview after a success,
// and the advice that follows a run on standard error.
#pragma once

#include <string>

#include "ConversionReport.h"
#include "Converter.h"
#include "FileSystem.h"
#include "Options.h"

namespace kelvane::cli {

// The paths the converter reads and writes; `romPath` is the image.
struct RunPaths {
    std::string templatePath;
    std::string romPath;
};

// False when an output the options name (--nsf, --wav, --save-arranged,
// --report-json) would overwrite an input or another output; `problem` says
// which.
bool OutputsCollide(FileSystem& files, const Options& options, const RunPaths& paths, std::string& problem);

// Converts `midiFile`; `ok` is false when the conversion or one of the files
// the options ask for failed.
ConversionReport ConvertFile(Converter& converter, FileSystem& files, const Options& options,
                             const RunPaths& paths, const std::string& midiFile, bool& ok);

}  // namespace kelvane::cli
