// Conversions between the engine's UTF-8 and the wide-character API's UTF-16.
#pragma once

#include <string>

namespace kelvane {

// Invalid sequences become U+FFFD rather than failing: a text shown to the
// user is better garbled in one place than lost whole.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// The program's own directory, UTF-16, ending with a backslash. Not limited
// to MAX_PATH.
std::wstring ModuleDirectory();

}  // namespace kelvane
