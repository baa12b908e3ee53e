// The command line's --help and --version texts. The man page is made from
// them (help2man), so they follow its conventions: "Usage:" lines, option
// lines indented by two spaces, headings that end with a colon.
#pragma once

#include <string>

namespace kelvane::cli {

// Every option of this release with its default on this platform.
std::string HelpText();

std::string VersionText();

}  // namespace kelvane::cli
