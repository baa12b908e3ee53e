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

// True when `name` reads as a label to every assembler the users feed:
// [A-Za-z_][A-Za-z0-9_]*. Song names that are not still work as prefixes,
// but asm6 and ca65 reject the labels they make.
bool IsPlainIdentifier(const std::string& name);

// The path without the file name's extension: the outputs are this plus
// ".asm", ".h" and ".lrc". A file name without '.' keeps the whole path.
std::string BasePathOfPath(const std::string& path);

// The last part of a path with ASCII letters in lower case: two paths can
// name one directory entry only when theirs agree (file systems that ignore
// case included), so a check of file identity need not ask the disk otherwise.
std::string FoldedFileName(const std::string& path);

}  // namespace kelvane
