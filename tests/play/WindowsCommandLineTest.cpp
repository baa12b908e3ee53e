// The emulator's command line must split back into exactly the arguments
// given, the way a Windows program's C runtime splits it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowsCommandLine.h"

namespace {

// The C runtime's rules for the arguments after the program name: quotes
// group, 2n backslashes before a quote give n and toggle quoting, 2n+1 give
// n and a literal quote, other backslashes are literal.
std::vector<std::string> SplitArguments(const std::string& line) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || line[i] != ' ')) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < line.size() && (quoted || line[i] != ' ')) arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

TEST(WindowsCommandLine, QuotesBothPaths) {
    EXPECT_EQ(kelvane::WindowsCommandLine("C:\\my tools\\duzer.exe", {"C:\\my tools\\ROM.BIN"}),
              "\"C:\\my tools\\duzer.exe\" \"C:\\my tools\\ROM.BIN\"");
    EXPECT_EQ(kelvane::QuoteWindowsArgument("D:\\音乐\\ROM.BIN"), "\"D:\\音乐\\ROM.BIN\"");
}

TEST(WindowsCommandLine, ArgumentsSplitBackUnchanged) {
    const std::vector<std::string> args = {
        "C:\\my tools\\ROM.BIN", "D:\\音乐 工具\\ROM.BIN", "", "trailing\\", "two\\\\", "say \"hi\"",
        "\\\\server\\share\\a b", "a\\\\\"b", " ", "\t"};
    const std::string line = kelvane::WindowsCommandLine("C:\\p.exe", args);
    const std::string rest = line.substr(kelvane::QuoteWindowsArgument("C:\\p.exe").size());
    EXPECT_EQ(SplitArguments(rest), args);
}

}  // namespace
