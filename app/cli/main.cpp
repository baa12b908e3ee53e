// kelvane: the command line. Converts each MIDI file given, as the dialog's
// Convert does, and prints the status lines as the run logs them.
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Console.h"
#include "Converter.h"
#include "FileSystem.h"
#include "LabelAdvice.h"
#include "ProgramDirectory.h"
#include "Play.h"
#include "SongName.h"

namespace {

constexpr char kVersion[] = "kelvane 1.0.0.1\n";
constexpr char kUsage[] =
    "Usage: kelvane [--template FILE] [--rom FILE] [--name NAME] MIDIFILE...\n"
    "       kelvane [--rom FILE] --play [MIDIFILE...]\n"
    "Converts each Standard MIDI File into driver music: NAME.asm, NAME.h and\n"
    "NAME.lrc beside the MIDI file, and the ROM image.\n"
    "\n"
    "  --template FILE  the template ROM (default: RZ31ST.bin beside the program)\n"
    "  --rom FILE       the image to write (default: ROM.BIN beside the program)\n"
    "  --name NAME      the song name that starts every label (default: the MIDI\n"
    "                   file's name); letters, digits and '_', not a digit first\n"
    "  --play           after converting, copy the image onto the drive labelled\n"
    "                   PX4, or start the emulator duzer.exe on it when there is none\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "Exit status: 0 when every conversion succeeded, 1 when one failed or the\n"
    "image could not be played, 2 for a usage error.\n";

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

class ConsoleFrontEnd : public kelvane::FrontEnd {
public:
    void ShowMessage(const std::string& text) override {
        kelvane::cli::Print(stderr, text + "\n");
    }
    void ReplaceStatusText(const std::string&, const std::string& appendedLine) override {
        kelvane::cli::Print(stdout, appendedLine);
        std::fflush(stdout);
    }
    void SetProgressRange(int) override {}
    void SetProgressStep(int) override {}
    void StepProgress() override {}
    std::string ProgramDirectory() override { return kelvane::ProgramDirectory(); }
    // Asked only by a run that wrote its outputs; the advice itself is
    // printed once the run is over (see main).
    std::vector<std::string> StatusAdvice(const kelvane::ConversionReport&) override {
        wroteOutputs_ = true;
        return {};
    }
    // Whether the run since the last call wrote its outputs.
    bool TakeWroteOutputs() {
        const bool wrote = wroteOutputs_;
        wroteOutputs_ = false;
        return wrote;
    }

private:
    bool wroteOutputs_ = false;
};

// The run's one line for standard output, shown as Unicode like the others.
class ConsoleBuffer : public std::stringbuf {
protected:
    int sync() override {
        kelvane::cli::Print(stdout, str());
        str("");
        return 0;
    }
};

int UsageError(const std::string& problem) {
    kelvane::cli::Print(stderr, "kelvane: " + problem + "\n" + kUsage);
    return kExitUsage;
}

struct Options {
    std::string templatePath;
    std::string romPath;
    std::string songName;  // --name; empty: each file's own
    std::vector<std::string> midiFiles;
    bool play = false;
};

// Hands the image over as the dialog's Play does, but says what happened.
int Play(const std::string& romPath) {
    std::unique_ptr<kelvane::PlayPlatform> platform = kelvane::MakeSystemPlatform();
    const std::string image =
        romPath.empty() ? kelvane::ProgramDirectory() + kelvane::kImageName : romPath;
    if (!platform->FileExists(image)) {
        kelvane::cli::Print(stderr, "kelvane: no ROM image " + image +
                                        " to play; convert a MIDI file first\n");
        return kExitFailure;
    }
    const kelvane::PlayResult result = kelvane::PlayImage(*platform, image);
    kelvane::cli::Print(result.ok() ? stdout : stderr,
                        "kelvane: " + kelvane::DescribePlayResult(result) + "\n");
    return result.ok() ? kExitSuccess : kExitFailure;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    kelvane::cli::GuardStandardOutput();
    std::vector<std::string> arguments = kelvane::cli::Arguments(argc, argv);
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            options.midiFiles.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            kelvane::cli::Print(stdout, kUsage);
            return kExitSuccess;
        } else if (argument == "--play") {
            options.play = true;
        } else if (argument == "--version") {
            kelvane::cli::Print(stdout, kVersion);
            return kExitSuccess;
        } else if (argument == "--template" || argument == "--rom") {
            if (i + 1 >= arguments.size()) return UsageError(argument + " needs a file");
            (argument == "--template" ? options.templatePath : options.romPath) = arguments[++i];
        } else if (argument == "--name" || argument.rfind("--name=", 0) == 0) {
            if (argument == "--name" && i + 1 >= arguments.size()) return UsageError("--name needs a name");
            options.songName = argument == "--name" ? arguments[++i] : argument.substr(7);
            if (!kelvane::IsPlainIdentifier(options.songName))
                return UsageError("--name \"" + options.songName +
                                  "\" is not a label: letters, digits and '_', not a digit first");
        } else if (argument.rfind("--template=", 0) == 0) {
            options.templatePath = argument.substr(11);
        } else if (argument.rfind("--rom=", 0) == 0) {
            options.romPath = argument.substr(6);
        } else {
            return UsageError("unknown option " + argument);
        }
    }
    if (options.midiFiles.empty() && options.play) return Play(options.romPath);
    if (options.midiFiles.empty()) return UsageError("no MIDI file given");

    ConsoleFrontEnd frontEnd;
    kelvane::DiskFileSystem files;
    ConsoleBuffer consoleBuffer;
    std::ostream console(&consoleBuffer);
    kelvane::Converter converter(frontEnd, files, console);
    converter.SetTemplatePath(options.templatePath);
    converter.SetRomPath(options.romPath);

    bool allConverted = true;
    for (const std::string& midiFile : options.midiFiles) {
        const std::string songName =
            options.songName.empty() ? kelvane::SongNameOfPath(midiFile) : options.songName;
        if (!converter.Run(midiFile, songName)) allConverted = false;
        const std::string advice = kelvane::LabelAdvice(songName);
        if (frontEnd.TakeWroteOutputs() && !advice.empty()) kelvane::cli::Print(stderr, advice + "\n");
    }
    if (options.play) {
        if (allConverted) return Play(options.romPath);
        kelvane::cli::Print(stderr, "kelvane: not playing, since a conversion failed\n");
    }
    return allConverted ? kExitSuccess : kExitFailure;
}
