// Where a conversion reads its inputs and writes its outputs.
//
// The real run uses DiskFileSystem (app/common: replacing a file takes the
// platform's calls); tests and the fuzzer use MemoryFileSystem (tests/) so
// that a whole conversion runs in memory, with faults injected.
// Paths are UTF-8 on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kelvane {

// Leaves the bytes of a resize uninitialised: a buffer that one read fills
// whole is then written once, not zeroed first.
template <typename T>
struct DefaultInitAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <typename U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
    }
};

// The ROM image, read from the template: 512 KB that a read fills.
using ImageBuffer = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// One output file being written. Every call reports success; a failed write
// leaves the sink failed, and Close still has to be called to release it.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Finishes the file. For a sink made by CreateReplacing this is the moment
    // the new content replaces the old file; destroying such a sink without a
    // successful Close leaves the old file as it was.
    virtual bool Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    enum class ReadResult { kRead, kCannotOpen, kTooLarge };

    // Reads a whole regular file into `data` with one read. kCannotOpen when
    // the path cannot be opened, is not a regular file, or cannot be read
    // whole; kTooLarge, before anything is allocated, when it holds more
    // than `maxSize` bytes.
    virtual ReadResult ReadWhole(const std::string& path, std::uint64_t maxSize,
                                 std::vector<std::uint8_t>& data) = 0;

    // Reads the first `size` bytes of a regular file, or all of a shorter
    // one. False when it cannot be opened or read.
    virtual bool ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) = 0;

    // Prepares a replacement for `path`: the content goes to a temporary file
    // in the same directory, renamed over `path` by a successful Close. The
    // new file keeps what the user set on the old one (its mode, its owner
    // where the process may), and where `path` is a symbolic link, the file
    // the link points to is replaced and the link stays. nullptr when the
    // temporary file cannot be created, or when a directory stands at `path`.
    virtual std::unique_ptr<ByteSink> CreateReplacing(const std::string& path) = 0;

    // True when both paths name one existing file, however they are spelled.
    virtual bool SameFile(const std::string& a, const std::string& b) { return a == b; }

    // True when `path` is a symbolic link: a replacement then writes the file
    // it points to, which may be named otherwise.
    virtual bool IsLink(const std::string&) { return false; }
};

}  // namespace kelvane
