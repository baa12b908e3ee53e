// Where each song's own files go. --nsf, --wav, --save-arranged and
// --report-json name a file for one song, or a folder that receives one file
// per song, named after its MIDI file: NAME.nsf, NAME.wav,
// NAME.arranged.mid, NAME.json.
#pragma once

#include <string>

#include "Options.h"

namespace kelvane::cli {

// An existing folder, or a path that ends with a path separator.
bool NamesFolder(const std::string& path);

// The option's file for `midiFile`: the folder's NAME + `extension`, or the
// path itself when it names a file; "" when the option was not given.
std::string OutputFor(const std::string& optionPath, const std::string& midiFile, const char* extension);

// The options of one song: its own files in the place of the folders.
Options SongOptions(const Options& options, const std::string& midiFile);

// A usage problem when two songs would write one file: a file (not a folder)
// given for several songs, or two MIDI files of one name and one folder.
// --report-json FILE is allowed: it holds every song's report.
bool SongsShareOutputs(const Options& options, std::string& problem);

// Makes the folders the options name that do not exist yet; false, with the
// words, when one cannot be made.
bool MakeOutputFolders(const Options& options, std::string& problem);

}  // namespace kelvane::cli
