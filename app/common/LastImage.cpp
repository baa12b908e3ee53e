#include "LastImage.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace kelvane {
namespace {

constexpr std::uint64_t kLongestNote = 64 * 1024;

}  // namespace

std::string LastImageNote(const DataEnvironment& environment) {
    const std::string folder = UserStateDirectory(environment);
    return folder.empty() ? std::string() : folder + kLastImageFileName;
}

bool NoteLastImage(FileSystem& files, const std::string& notePath, const std::string& imagePath) {
    if (notePath.empty()) return true;
    // A later --play may start in another folder than a relative --rom.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(imagePath), error);
    std::string line = absolute.lexically_normal().u8string();
    if (error) return false;
    // Most runs write the image the last one wrote: a read, not a write.
    if (NotedLastImage(files, notePath) == line) return true;
    line += '\n';
    if (!CreateParentFolders(notePath)) return false;
    std::unique_ptr<ByteSink> sink = files.CreateReplacing(notePath);
    const bool written = sink && sink->Write(line.data(), line.size());
    return sink && sink->Close() && written;
}

std::string NotedLastImage(FileSystem& files, const std::string& notePath) {
    std::vector<std::uint8_t> bytes;
    if (notePath.empty() || files.ReadWhole(notePath, kLongestNote, bytes) != FileSystem::ReadResult::kRead)
        return std::string();
    std::string path(bytes.begin(), bytes.end());
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
    return path;
}

}  // namespace kelvane
