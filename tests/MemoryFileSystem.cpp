#include "MemoryFileSystem.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kelvane::test {

class MemorySink : public ByteSink {
public:
    MemorySink(MemoryFileSystem& files, std::string path, std::string target)
        : files_(files), path_(std::move(path)), target_(std::move(target)) {
        files_.files_[path_].clear();
        ++files_.openSinks;
    }
    ~MemorySink() override {
        --files_.openSinks;
        // An unfinished replacement leaves the old file as it was.
        if (!target_.empty() && !renamed_) files_.files_.erase(path_);
    }
    bool Write(const void* data, std::size_t size) override {
        auto fault = files_.failWriteAt.find(target_.empty() ? path_ : target_);
        if (fault != files_.failWriteAt.end() && fault->second-- == 0) {
            failedWrite_ = true;
            return false;
        }
        auto* bytes = static_cast<const std::uint8_t*>(data);
        auto& file = files_.files_[path_];
        file.insert(file.end(), bytes, bytes + size);
        return true;
    }
    bool Close() override {
        if (closed_) return !failedClose_;
        closed_ = true;
        failedClose_ = files_.failClose.count(target_.empty() ? path_ : target_) != 0;
        if (failedClose_) return false;
        // A replacement that lost a write never replaces the old file.
        if (!target_.empty() && failedWrite_) return false;
        if (!target_.empty()) {
            files_.files_[target_] = std::move(files_.files_[path_]);
            files_.files_.erase(path_);
            renamed_ = true;
        }
        return true;
    }

private:
    MemoryFileSystem& files_;
    std::string path_;
    std::string target_;  // set for a replacement
    bool closed_ = false;
    bool failedClose_ = false;
    bool failedWrite_ = false;
    bool renamed_ = false;
};

const MemoryFileSystem::Bytes& MemoryFileSystem::Get(const std::string& path) const {
    auto found = files_.find(path);
    if (found == files_.end()) throw std::runtime_error("no file " + path);
    return found->second;
}

std::string MemoryFileSystem::Text(const std::string& path) const {
    const Bytes& bytes = Get(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> MemoryFileSystem::Paths() const {
    std::vector<std::string> paths;
    for (const auto& entry : files_) paths.push_back(entry.first);
    return paths;
}

FileSystem::ReadResult MemoryFileSystem::ReadWhole(const std::string& path, std::uint64_t maxSize,
                                                   std::vector<std::uint8_t>& data) {
    auto found = files_.find(path);
    if (found == files_.end() || unreadable.count(path)) return ReadResult::kCannotOpen;
    if (found->second.size() > maxSize) return ReadResult::kTooLarge;
    data = found->second;
    return ReadResult::kRead;
}

bool MemoryFileSystem::ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) {
    auto found = files_.find(path);
    if (found == files_.end() || unreadable.count(path)) return false;
    // One copy into the buffer, as a read from disk fills it.
    data.resize(std::min(size, found->second.size()));
    if (!data.empty()) std::memcpy(data.data(), found->second.data(), data.size());
    return true;
}

std::unique_ptr<ByteSink> MemoryFileSystem::CreateReplacing(const std::string& path) {
    if (path.empty() || uncreatable.count(path)) return nullptr;
    return std::make_unique<MemorySink>(*this, path + ".tmp", path);
}

}  // namespace kelvane::test
