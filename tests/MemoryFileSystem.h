// Files in memory, with faults on demand, so whole conversions run in tests
// and under the fuzzer without touching the disk.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace kelvane::test {

class MemoryFileSystem : public FileSystem {
public:
    using Bytes = std::vector<std::uint8_t>;

    void Put(const std::string& path, Bytes data) { files_[path] = std::move(data); }
    void Put(const std::string& path, const std::string& text) { files_[path] = Bytes(text.begin(), text.end()); }
    bool Has(const std::string& path) const { return files_.count(path) != 0; }
    const Bytes& Get(const std::string& path) const;
    std::string Text(const std::string& path) const;
    void Remove(const std::string& path) { files_.erase(path); }
    // Every path that exists, temporary files included.
    std::vector<std::string> Paths() const;

    // Faults.
    std::set<std::string> unreadable;     // ReadWhole fails (a directory, a locked file)
    std::set<std::string> uncreatable;    // CreateReplacing fails
    std::map<std::string, int> failWriteAt;  // the Nth Write (from 0) to this path fails
    std::set<std::string> failClose;      // Close fails (and a replacement is not renamed)
    int openSinks = 0;                    // sinks alive now: a leak check

    ReadResult ReadWhole(const std::string& path, std::uint64_t maxSize, std::vector<std::uint8_t>& data) override;
    bool ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) override;
    std::unique_ptr<ByteSink> CreateReplacing(const std::string& path) override;

private:
    friend class MemorySink;
    std::map<std::string, Bytes> files_;
};

}  // namespace kelvane::test
