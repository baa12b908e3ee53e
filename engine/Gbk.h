// UTF-8 to GBK (code page 936), for the song name in the output files.
#pragma once

#include <string>

namespace kelvane {

// Every character that GBK lacks, and every byte that is not valid UTF-8,
// becomes '?'.
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace kelvane
