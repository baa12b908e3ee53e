// Where the command line finds the template and puts the ROM image.
//
// The portable layout (Windows, or a program run from its build folder)
// keeps both beside the program. An installed program cannot write beside
// itself, so on Linux the template is also looked for in the user's and the
// system's data folders, and the image then goes into the user's. Both front
// ends hand the engine the resolved paths; the search itself touches nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kelvane {

inline constexpr char kTemplateFileName[] = "RZ31ST.bin";
inline constexpr char kImageFileName[] = "ROM.BIN";
// The folder under each data folder that holds our files.
inline constexpr char kDataFolderName[] = "kelvane";

// What the search depends on, gathered from the process so that tests can
// set it freely.
struct DataEnvironment {
    std::string programDirectory;  // ending with a path separator
    std::string dataHome;          // $XDG_DATA_HOME, empty when unset
    std::string dataDirs;          // $XDG_DATA_DIRS, empty when unset
    std::string stateHome;         // $XDG_STATE_HOME, empty when unset
    std::string home;              // $HOME, or the user's home from the password file
    bool portable = false;         // true on Windows: the program's folder only
};

// The running process's environment.
DataEnvironment SystemDataEnvironment();

// The user's own folder for our files, ending with '/': $XDG_DATA_HOME/kelvane/,
// or ~/.local/share/kelvane/ when that variable is unset, empty or relative.
// Empty in the portable layout, or when not even a home folder is known.
std::string UserDataDirectory(const DataEnvironment& environment);

// The user's own folder for what a run leaves for the next, ending with '/':
// $XDG_STATE_HOME/kelvane/, or ~/.local/state/kelvane/ when that variable is
// unset, empty or relative. Empty as UserDataDirectory is.
std::string UserStateDirectory(const DataEnvironment& environment);

// The places a template may lie, in the order they are tried: beside the
// program, the user's data folder, then each system data folder
// ($XDG_DATA_DIRS, default /usr/local/share:/usr/share). Relative entries
// are ignored and no place is listed twice.
std::vector<std::string> TemplateCandidates(const DataEnvironment& environment);

// True when `path` is a regular file this process can open for reading.
bool IsReadableFile(const std::string& path);

struct DataPaths {
    std::string templatePath;  // what the engine is to read
    bool templateFound = false;
    std::vector<std::string> searched;  // the places tried, in order, the match last
    std::string romPath;                // what the engine is to write
    bool romInUserFolder = false;       // by default, in UserDataDirectory()
};

// Resolves both paths. `templateOption` and `romOption` are the command
// line's --template and --rom, empty when not given; a given path is taken
// as it is. When no candidate is readable, `templatePath` is the first one,
// so that the engine reports the missing template in its own words.
DataPaths ResolveDataPaths(const DataEnvironment& environment, const std::string& templateOption,
                           const std::string& romOption,
                           const std::function<bool(const std::string&)>& readable = IsReadableFile);

// Creates the folder that holds `filePath`, and its parents, as needed.
// False when it does not exist afterwards.
bool CreateParentFolders(const std::string& filePath);

}  // namespace kelvane
