#include "DiskFileSystem.h"

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kelvane {
namespace fs = std::filesystem;

namespace {

// The path as the standard library wants it: UTF-8 inside the engine, wide
// characters for the Windows file API.
fs::path NativePath(const std::string& utf8) {
    return fs::u8path(utf8);
}

// Opens a regular file and tells its size in 64 bits, on the 32-bit build too.
// One look at the file answers both questions.
bool OpenRegular(const std::string& path, std::ifstream& stream, std::uint64_t& size) {
    if (path.empty()) return false;
    std::error_code error;
    const fs::directory_entry entry(NativePath(path), error);
    if (error || !entry.is_regular_file(error) || error) return false;
    std::uintmax_t length = entry.file_size(error);
    if (error) return false;
    stream.open(entry.path(), std::ios::binary);
    size = length;
    return static_cast<bool>(stream);
}

template <typename Buffer>
bool ReadInto(std::ifstream& stream, std::size_t size, Buffer& data) {
    data.resize(size);
    if (size > 0 && !stream.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size))) {
        data.clear();
        return false;
    }
    return true;
}

}  // namespace

FileSystem::ReadResult DiskFileSystem::ReadWhole(const std::string& path, std::uint64_t maxSize,
                                                 std::vector<std::uint8_t>& data) {
    data.clear();
    std::ifstream stream;
    std::uint64_t size = 0;
    if (!OpenRegular(path, stream, size)) return ReadResult::kCannotOpen;
    if (size > maxSize) return ReadResult::kTooLarge;
    return ReadInto(stream, static_cast<std::size_t>(size), data) ? ReadResult::kRead : ReadResult::kCannotOpen;
}

bool DiskFileSystem::ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) {
    data.clear();
    std::ifstream stream;
    std::uint64_t fileSize = 0;
    if (!OpenRegular(path, stream, fileSize)) return false;
    return ReadInto(stream, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, size)), data);
}

std::unique_ptr<ByteSink> DiskFileSystem::CreateReplacing(const std::string& path) {
    if (path.empty()) return nullptr;
    return OpenReplacement(path);
}

bool DiskFileSystem::IsLink(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_symlink(fs::symlink_status(NativePath(path), error));
}

// Two existing paths are the same file when the system says so; a path that
// does not exist yet is the same as another when both spell one place.
bool DiskFileSystem::SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code error;
    bool same = fs::equivalent(NativePath(a), NativePath(b), error);
    if (!error) return same;
    // Made absolute first: of a relative path that does not exist yet, the
    // standard library keeps "image.bin" relative but makes "./image.bin" whole.
    fs::path left = fs::weakly_canonical(fs::absolute(NativePath(a), error), error);
    if (error) return false;
    fs::path right = fs::weakly_canonical(fs::absolute(NativePath(b), error), error);
    if (error) return false;
#ifdef _WIN32
    // The Windows file system does not tell upper from lower case.
    return _wcsicmp(left.c_str(), right.c_str()) == 0;
#else
    return left == right;
#endif
}

}  // namespace kelvane
