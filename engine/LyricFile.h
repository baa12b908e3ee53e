// Emitting the lyric table: one record per lyric with its gap in time units,
// written as assembler data beside the .asm file.
#pragma once

#include <string>

#include "LyricList.h"
#include "TextOut.h"

namespace kelvane {

void WriteLyricFile(const LyricList& lyrics, const std::string& songNameGbk, TextOut& out);

}  // namespace kelvane
