// Names derived from a MIDI file's path, shared by both front ends.
#pragma once

#include <string>

namespace kelvane {

// True for the characters that separate directories on this platform:
// '\' and '/' on Windows, '/' elsewhere.
bool IsPathSeparator(char c);

// The song name of a path: the file name without what follows its last '.'.
// "C:\a.b\tune" gives "tune"; ".mid" gives "".
std::string SongNameOfPath(const std::string& path);

// The path without the file name's extension: the outputs are this plus
// ".asm", ".h" and ".lrc". A file name without '.' keeps the whole path.
std::string BasePathOfPath(const std::string& path);

}  // namespace kelvane
