#include "SongName.h"

namespace kelvane {

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

namespace {

// Index of the first character of the file name.
std::size_t FileNameStart(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
    return start;
}

// Index of the '.' that starts the file name's extension, or npos.
std::size_t ExtensionDot(const std::string& path) {
    std::size_t start = FileNameStart(path);
    std::size_t dot = path.rfind('.');
    return dot != std::string::npos && dot >= start ? dot : std::string::npos;
}

}  // namespace

// Only the file name is searched for the extension: searching the whole path
// took a '.' in a directory name and wrote the outputs outside the folder.
std::string SongNameOfPath(const std::string& path) {
    std::size_t start = FileNameStart(path);
    std::size_t dot = ExtensionDot(path);
    return path.substr(start, (dot == std::string::npos ? path.size() : dot) - start);
}

// Plain ASCII tests: the locale's isalpha would take letters beyond ASCII.
bool IsPlainIdentifier(const std::string& name) {
    if (name.empty()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

std::string BasePathOfPath(const std::string& path) {
    std::size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string FoldedFileName(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
    std::string name = path.substr(start);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace kelvane
