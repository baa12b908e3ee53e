#include "SongOutputs.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "Language.h"
#include "SongName.h"
#ifdef _WIN32
#include "WideText.h"
#endif

namespace kelvane::cli {
namespace {

namespace fs = std::filesystem;

fs::path NativePath(const std::string& utf8) {
#ifdef _WIN32
    return fs::path(Widen(utf8));
#else
    return fs::path(utf8);
#endif
}

struct FolderOption {
    const char* name;
    std::string Options::*path;
    const char* extension;
};

constexpr FolderOption kFolderOptions[] = {
    {"--nsf", &Options::nsfPath, ".nsf"},
    {"--wav", &Options::wavPath, ".wav"},
    {"--save-arranged", &Options::saveArrangedPath, ".arranged.mid"},
    {"--report-json", &Options::reportJsonPath, ".json"},
};

}  // namespace

bool NamesFolder(const std::string& path) {
    if (path.empty()) return false;
    if (IsPathSeparator(path.back())) return true;
    std::error_code error;
    return fs::is_directory(NativePath(path), error);
}

std::string OutputFor(const std::string& optionPath, const std::string& midiFile, const char* extension) {
    if (optionPath.empty() || !NamesFolder(optionPath)) return optionPath;
    const std::string separator = IsPathSeparator(optionPath.back()) ? "" : "/";
    return optionPath + separator + SongNameOfPath(midiFile) + extension;
}

Options SongOptions(const Options& options, const std::string& midiFile) {
    Options song = options;
    song.midiFiles = {midiFile};
    for (const FolderOption& option : kFolderOptions)
        song.*option.path = OutputFor(options.*option.path, midiFile, option.extension);
    return song;
}

bool SongsShareOutputs(const Options& options, std::string& problem) {
    if (options.midiFiles.size() < 2) return false;
    for (const FolderOption& option : kFolderOptions) {
        const std::string& path = options.*option.path;
        if (path.empty()) continue;
        if (!NamesFolder(path)) {
            if (option.path == &Options::reportJsonPath) continue;
            problem = Fill(Tr("{1} FILE takes one MIDI file; for several, give a folder (a path ending in /)"),
                           {option.name});
            return true;
        }
        // The same MIDI file given twice writes the same file twice, which loses nothing.
        std::map<std::string, std::string> writers;
        for (const std::string& midi : options.midiFiles) {
            const std::string output = OutputFor(path, midi, option.extension);
            const auto [place, added] = writers.emplace(output, midi);
            if (!added && place->second != midi) {
                problem = Fill(Tr("{1}: {2} and {3} would both write {4}"), {option.name, place->second, midi, output});
                return true;
            }
        }
    }
    return false;
}

bool MakeOutputFolders(const Options& options, std::string& problem) {
    for (const FolderOption& option : kFolderOptions) {
        const std::string& path = options.*option.path;
        if (!NamesFolder(path)) continue;
        std::error_code error;
        fs::create_directories(NativePath(path), error);
        if (!fs::is_directory(NativePath(path), error)) {
            problem = Fill(Tr("cannot make the folder {1}"), {path});
            return false;
        }
    }
    return true;
}

}  // namespace kelvane::cli
