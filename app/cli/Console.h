// What the command line needs from its platform: its arguments as UTF-8, and
// text shown as Unicode on the terminal.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kelvane::cli {

// Writes UTF-8 text to stdout or stderr; a Windows console gets it through
// the wide-character API so that Chinese shows in any code page.
void Print(std::FILE* stream, const std::string& utf8);

#ifdef _WIN32
std::vector<std::string> Arguments(int argc, wchar_t** argv);
#else
std::vector<std::string> Arguments(int argc, char** argv);
#endif

}  // namespace kelvane::cli
