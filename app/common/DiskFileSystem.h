// The files on disk, for both front ends. Reading goes through the standard
// library; replacing a file takes the platform's own calls
// (ReplacementPosix.cpp, ReplacementWindows.cpp), since only they create a
// file exclusively and keep what the user set on the file it replaces.
#pragma once

#include <memory>
#include <string>

#include "FileSystem.h"

namespace kelvane {

class DiskFileSystem : public FileSystem {
public:
    ReadResult ReadWhole(const std::string& path, std::uint64_t maxSize,
                         std::vector<std::uint8_t>& data) override;
    bool ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) override;
    std::unique_ptr<ByteSink> CreateReplacing(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    bool IsLink(const std::string& path) override;
};

// The platform's half of CreateReplacing: a temporary file made exclusively
// beside the file `path` ends at (through its links), renamed over that file
// by a successful Close with the old file's mode and, where it may, owner.
std::unique_ptr<ByteSink> OpenReplacement(const std::string& path);

}  // namespace kelvane
