// The command line's options, parsed from the arguments as UTF-8.
#pragma once

#include <string>
#include <vector>

namespace kelvane::cli {

struct Options {
    std::string templatePath;
    std::string romPath;
    std::string reportJsonPath;
    std::string songName;         // --name; empty: each file's own
    std::string nsfPath;          // --nsf
    std::string wavPath;          // --wav
    std::string voiceSpec;        // --voices
    std::string saveArrangedPath; // --save-arranged
    std::string chords;           // --chords: "arpeggio" or "none"
    std::vector<std::string> midiFiles;
    bool play = false;
    bool report = false;
    bool arrange = false;         // --arrange, or implied by --voices and --save-arranged
    unsigned jobs = 1;            // -j, --jobs: songs converted at once
};

enum class Parsed {
    kRun,      // convert (or play) as the options say
    kShown,    // --help or --version was printed: exit 0
    kUsage,    // `problem` says what is wrong: exit 2
};

Parsed ParseOptions(const std::vector<std::string>& arguments, Options& options, std::string& problem);

}  // namespace kelvane::cli
