// UTF-8 to GBK (code page 936), for the song name in the output files.
#pragma once

#include <string>

namespace kelvane {

// Every character that GBK lacks, and every byte that is not valid UTF-8,
// becomes '?'.
std::string Utf8ToGbk(const std::string& utf8);

// Whether every byte is below 128, and whether the bytes are well-formed
// UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsAscii(const std::string& text);
bool IsValidUtf8(const std::string& text);

}  // namespace kelvane
