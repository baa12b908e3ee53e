// Building a Windows command line that the started program splits back into
// exactly the arguments given (the rules of CommandLineToArgvW and the C
// runtime). Plain string work, so it is tested on every platform.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

// `argument` in double quotes, with backslashes doubled only where they
// precede a quote, so that spaces and trailing backslashes survive.
std::string QuoteWindowsArgument(const std::string& argument);

// The program and each argument quoted, separated by single spaces.
std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& args);

}  // namespace kelvane
