// The image `kelvane --play` hands on: the one a run has just written, the
// one --rom names, or, without MIDI files, the one the last run wrote, as
// that run noted it (app/common/LastImage.h).
#pragma once

#include <string>

#include "DataPaths.h"
#include "FileSystem.h"
#include "Options.h"

namespace kelvane::cli {

// Sets `image` to what --play without MIDI files is to hand on: --rom's
// file, else the noted image, else `image` as the search resolved it. False,
// after saying so and where it was, when the noted image no longer exists.
bool ChooseImageToPlay(FileSystem& files, const DataEnvironment& environment, const Options& options,
                       std::string& image);

// Notes the image a run has written for a later --play; says so when the
// note cannot be written, which costs the run nothing.
void NoteWrittenImage(FileSystem& files, const DataEnvironment& environment, const std::string& image);

}  // namespace kelvane::cli
