#include "WindowsCommandLine.h"

namespace kelvane {

std::string QuoteWindowsArgument(const std::string& argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // 2n+1 backslashes before a quote give n backslashes and the quote.
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote, 2n backslashes give n.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string WindowsCommandLine(const std::string& program, const std::vector<std::string>& args) {
    // Quoted even without spaces: unquoted, a directory name with a space
    // split the image path and the emulator never got it.
    std::string line = QuoteWindowsArgument(program);
    for (const std::string& argument : args) {
        line += ' ';
        line += QuoteWindowsArgument(argument);
    }
    return line;
}

}  // namespace kelvane
