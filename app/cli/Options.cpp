#include "Options.h"

#include "Arrange.h"
#include "Console.h"
#include "Help.h"
#include "Language.h"
#include "NsfOutput.h"
#include "SongName.h"
#include "SongOutputs.h"

namespace kelvane::cli {
namespace {

// The options that take a value, as "--opt VALUE" or "--opt=VALUE".
std::string* ValueOf(const std::string& name, Options& options) {
    if (name == "--template") return &options.templatePath;
    if (name == "--rom") return &options.romPath;
    if (name == "--report-json") return &options.reportJsonPath;
    if (name == "--name") return &options.songName;
    if (name == "--nsf") return &options.nsfPath;
    if (name == "--wav") return &options.wavPath;
    if (name == "--voices") return &options.voiceSpec;
    if (name == "--save-arranged") return &options.saveArrangedPath;
    if (name == "--chords") return &options.chords;
    return nullptr;
}

// More songs at once than anyone has cores: enough to be no limit.
constexpr unsigned kMostJobs = 256;

// -j N, -jN, --jobs N, --jobs=N: a whole number from 1 up.
bool ReadJobs(const std::string& text, Options& options, std::string& problem) {
    unsigned jobs = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || jobs > kMostJobs) {
            jobs = 0;
            break;
        }
        jobs = jobs * 10 + static_cast<unsigned>(c - '0');
    }
    if (jobs < 1 || jobs > kMostJobs) {
        problem = Fill(Tr("--jobs needs a number of songs from 1 to {1}, not \"{2}\""),
                       {std::to_string(kMostJobs), text});
        return false;
    }
    options.jobs = jobs;
    return true;
}

// What the options say together, once all are read.
bool Check(Options& options, std::string& problem) {
    if (!options.songName.empty() && !IsPlainIdentifier(options.songName)) {
        problem = Fill(Tr("--name \"{1}\" is not a label: letters, digits and '_', not a digit first"),
                       {options.songName});
        return false;
    }
    if (!options.wavPath.empty() && !WavOutputAvailable()) {
        problem = Tr(kWavUnavailable);
        return false;
    }
    if (!options.chords.empty() && options.chords != "arpeggio" && options.chords != "none") {
        problem = "--chords takes arpeggio or none";
        return false;
    }
    if (!options.voiceSpec.empty() || !options.saveArrangedPath.empty() || options.chords == "arpeggio")
        options.arrange = true;
    if (!options.voiceSpec.empty()) {
        arrange::VoiceAssignment assignment;
        std::string error;
        if (!arrange::ParseVoiceSpec(options.voiceSpec, assignment, error)) {
            problem = "--voices: " + error;
            return false;
        }
    }
    return !SongsShareOutputs(options, problem);
}

}  // namespace

Parsed ParseOptions(const std::vector<std::string>& arguments, Options& options, std::string& problem) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            options.midiFiles.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (argument.compare(0, 2, "-j") == 0 || name == "--jobs") {
            std::string jobs = argument.compare(0, 2, "-j") == 0 ? argument.substr(2)
                               : equals != std::string::npos ? argument.substr(equals + 1) : "";
            if (jobs.empty() && equals == std::string::npos && i + 1 < arguments.size()) jobs = arguments[++i];
            if (!ReadJobs(jobs, options, problem)) return Parsed::kUsage;
        } else if (std::string* value = ValueOf(name, options)) {
            if (equals != std::string::npos) {
                *value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                *value = arguments[++i];
            } else {
                value->clear();
            }
            if (value->empty()) {
                problem = Fill(name == "--name"     ? Tr("{1} needs a name")
                               : name == "--voices" ? Tr("{1} needs a spec")
                                                    : Tr("{1} needs a file"),
                               {name});
                return Parsed::kUsage;
            }
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            Print(stdout, HelpText());
            return Parsed::kShown;
        } else if (argument == "--version") {
            Print(stdout, VersionText());
            return Parsed::kShown;
        } else if (argument == "--play") {
            options.play = true;
        } else if (argument == "--report") {
            options.report = true;
        } else if (argument == "--arrange") {
            options.arrange = true;
        } else {
            problem = Fill(Tr("unknown option {1}"), {argument});
            return Parsed::kUsage;
        }
    }
    return Check(options, problem) ? Parsed::kRun : Parsed::kUsage;
}

}  // namespace kelvane::cli
