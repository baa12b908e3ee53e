// Where the running program lies, for both front ends and the Play hand-off:
// the template, the image and the emulator sit beside it.
#pragma once

#include <string>

namespace kelvane {

// The program's own directory, UTF-8, ending with a path separator; empty
// when the system cannot say. Not limited to any fixed path length.
std::string ProgramDirectory();

}  // namespace kelvane
