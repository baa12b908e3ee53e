#include "Options.h"

#include "Arrange.h"
#include "Console.h"
#include "Help.h"
#include "NsfOutput.h"
#include "SongName.h"

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

// What the options say together, once all are read.
bool Check(Options& options, std::string& problem) {
    if (!options.songName.empty() && !IsPlainIdentifier(options.songName)) {
        problem = "--name \"" + options.songName + "\" is not a label: letters, digits and '_', not a digit first";
        return false;
    }
    if (!options.wavPath.empty() && !WavOutputAvailable()) {
        problem = kWavUnavailable;
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
    // One file per song: with several songs each would overwrite the last.
    if (options.midiFiles.size() > 1) {
        for (const auto& [name, value] : {std::pair<const char*, const std::string*>{"--nsf", &options.nsfPath},
                                          {"--wav", &options.wavPath},
                                          {"--save-arranged", &options.saveArrangedPath}}) {
            if (!value->empty()) {
                problem = std::string(name) + " takes one MIDI file";
                return false;
            }
        }
    }
    return true;
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
        if (std::string* value = ValueOf(name, options)) {
            if (equals != std::string::npos) {
                *value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                *value = arguments[++i];
            } else {
                value->clear();
            }
            if (value->empty()) {
                problem = name + (name == "--name" ? " needs a name" : name == "--voices" ? " needs a spec" : " needs a file");
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
            problem = "unknown option " + argument;
            return Parsed::kUsage;
        }
    }
    return Check(options, problem) ? Parsed::kRun : Parsed::kUsage;
}

}  // namespace kelvane::cli
