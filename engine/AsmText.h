// Emitting the assembler text: the .asm file (the conductor's comments, the
// tempo line, the dw table, then each channel's separator, label and
// commands) and the .h file (one equate per timbre and per first percussion
// note of a pitch class). Every label is equated to $00.
#pragma once

#include <string>

#include "TextOut.h"
#include "TranslatedSong.h"

namespace kelvane {

// `songNameGbk` prefixes every label, as it is written into the files.
void WriteAsmText(const TranslatedSong& song, const std::string& songNameGbk, TextOut& asmFile, TextOut& hFile);

}  // namespace kelvane
