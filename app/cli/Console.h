// What the command line needs from its platform: its arguments as UTF-8,
// text shown as Unicode on the terminal, and standard output that behaves as
// a Unix tool's.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kelvane::cli {

// Writes UTF-8 text to stdout or stderr; a Windows console gets it through
// the wide-character API so that Chinese shows in any code page.
void Print(std::FILE* stream, const std::string& utf8);

// What one song said while converted beside others: each piece of text and
// its stream, in order, shown whole once the song is done.
struct Said {
    std::FILE* stream;
    std::string text;
};
using SaidText = std::vector<Said>;

// While `record` is set, Print on the calling thread adds to it instead of
// writing; nullptr writes again.
void RecordOnThisThread(SaidText* record);

// Writes what a song said, as Print would have.
void Replay(const SaidText& record);

// Call first thing in main. A write to a closed pipe then fails instead of
// killing the program (SIGPIPE is ignored), and standard output is closed
// and checked when the program exits: when any write to it failed (a full
// disk, a closed pipe) the exit status becomes 1.
void GuardStandardOutput();

#ifdef _WIN32
std::vector<std::string> Arguments(int argc, wchar_t** argv);
#else
std::vector<std::string> Arguments(int argc, char** argv);
#endif

}  // namespace kelvane::cli
