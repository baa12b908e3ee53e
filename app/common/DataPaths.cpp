#include "DataPaths.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "ProgramDirectory.h"

#ifdef _WIN32
#include <cstdio>

#include "WideText.h"
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvane {

namespace {

#ifndef _WIN32
std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : std::string();
}
#endif

// The data folder variables hold absolute paths only; anything else is to
// be ignored, as if it were not set.
bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string WithSlash(const std::string& folder) {
    return folder.back() == '/' ? folder : folder + '/';
}

std::vector<std::string> SystemDataFolders(const std::string& dataDirs) {
    std::vector<std::string> folders;
    std::istringstream entries(dataDirs.empty() ? "/usr/local/share:/usr/share" : dataDirs);
    std::string entry;
    while (std::getline(entries, entry, ':')) {
        if (IsAbsolute(entry)) folders.push_back(WithSlash(entry));
    }
    return folders;
}

void AddOnce(std::vector<std::string>& places, const std::string& place) {
    for (const std::string& known : places) {
        if (known == place) return;
    }
    places.push_back(place);
}

}  // namespace

DataEnvironment SystemDataEnvironment() {
    DataEnvironment environment;
    environment.programDirectory = ProgramDirectory();
#ifdef _WIN32
    environment.portable = true;
#else
    environment.dataHome = Environment("XDG_DATA_HOME");
    environment.dataDirs = Environment("XDG_DATA_DIRS");
    environment.stateHome = Environment("XDG_STATE_HOME");
    environment.home = Environment("HOME");
    if (environment.home.empty()) {
        // A service or a cron job may run without HOME; the password file
        // still knows where the user's files belong.
        if (const passwd* entry = getpwuid(getuid())) {
            if (entry->pw_dir != nullptr) environment.home = entry->pw_dir;
        }
    }
#endif
    return environment;
}

std::string UserDataDirectory(const DataEnvironment& environment) {
    if (environment.portable) return std::string();
    if (IsAbsolute(environment.dataHome))
        return WithSlash(environment.dataHome) + kDataFolderName + '/';
    if (IsAbsolute(environment.home))
        return WithSlash(environment.home) + ".local/share/" + kDataFolderName + '/';
    return std::string();
}

std::string UserStateDirectory(const DataEnvironment& environment) {
    if (environment.portable) return std::string();
    if (IsAbsolute(environment.stateHome))
        return WithSlash(environment.stateHome) + kDataFolderName + '/';
    if (IsAbsolute(environment.home))
        return WithSlash(environment.home) + ".local/state/" + kDataFolderName + '/';
    return std::string();
}

std::vector<std::string> TemplateCandidates(const DataEnvironment& environment) {
    std::vector<std::string> places{environment.programDirectory + kTemplateFileName};
    if (environment.portable) return places;
    const std::string userFolder = UserDataDirectory(environment);
    if (!userFolder.empty()) AddOnce(places, userFolder + kTemplateFileName);
    for (const std::string& folder : SystemDataFolders(environment.dataDirs)) {
        AddOnce(places, folder + kDataFolderName + '/' + kTemplateFileName);
    }
    return places;
}

#ifdef _WIN32

bool IsReadableFile(const std::string& path) {
    std::FILE* file = _wfopen(Widen(path).c_str(), L"rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

bool CreateParentFolders(const std::string&) {
    // The portable layout writes only beside the program, which exists.
    return true;
}

#else

bool IsReadableFile(const std::string& path) {
    // Opened rather than checked with access(), which asks for the real user
    // and would pass a folder of that name.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    return regular;
}

bool CreateParentFolders(const std::string& filePath) {
    const std::size_t end = filePath.find_last_of('/');
    if (end == std::string::npos || end == 0) return true;
    // Each level in turn, from the top: an existing one is fine.
    for (std::size_t slash = filePath.find('/', 1); slash != std::string::npos && slash <= end;
         slash = filePath.find('/', slash + 1)) {
        const std::string folder = filePath.substr(0, slash);
        if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    struct stat info;
    return stat(filePath.substr(0, end).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

#endif

DataPaths ResolveDataPaths(const DataEnvironment& environment, const std::string& templateOption,
                           const std::string& romOption,
                           const std::function<bool(const std::string&)>& readable) {
    DataPaths paths;
    const std::string besideProgram = environment.programDirectory + kTemplateFileName;
    const std::vector<std::string> candidates =
        templateOption.empty() ? TemplateCandidates(environment) : std::vector{templateOption};
    paths.templatePath = candidates.front();
    for (const std::string& candidate : candidates) {
        paths.searched.push_back(candidate);
        if (readable(candidate)) {
            paths.templatePath = candidate;
            paths.templateFound = true;
            break;
        }
    }

    if (!romOption.empty()) {
        paths.romPath = romOption;
        return paths;
    }
    const std::string userFolder = UserDataDirectory(environment);
    const bool foundBesideProgram =
        templateOption.empty() && paths.templateFound && paths.templatePath == besideProgram;
    if (environment.portable || foundBesideProgram || userFolder.empty()) {
        paths.romPath = environment.programDirectory + kImageFileName;
    } else {
        paths.romPath = userFolder + kImageFileName;
        paths.romInUserFolder = true;
    }
    return paths;
}

}  // namespace kelvane
