// Where `--play` without MIDI files finds the image the last run wrote. The
// image may go beside the program, into the user's data folder or wherever
// --rom names, so the last run that wrote one notes its path in the user's
// state folder: $XDG_STATE_HOME/kelvane/last-rom (default
// ~/.local/state/kelvane/). The portable layout (Windows) keeps the image
// beside the program and notes nothing.
#pragma once

#include <string>

#include "DataPaths.h"
#include "FileSystem.h"

namespace kelvane {

inline constexpr char kLastImageFileName[] = "last-rom";

// The file that holds the note, or empty when there is no state folder (the
// portable layout, or no home folder known).
std::string LastImageNote(const DataEnvironment& environment);

// Notes `imagePath`, made absolute, replacing the old note whole. False when
// it cannot be written; an empty note path notes nothing and is no failure.
bool NoteLastImage(FileSystem& files, const std::string& notePath, const std::string& imagePath);

// The image the note names; empty when there is no note.
std::string NotedLastImage(FileSystem& files, const std::string& notePath);

}  // namespace kelvane
