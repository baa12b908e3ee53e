// Replacing a file on a POSIX system: the temporary file is made with
// O_EXCL under a name nobody can guess, readable by us alone until it takes
// on the old file's mode, and it lies beside the file a symbolic link points
// to, so that the link keeps pointing at the new content.
#include <cerrno>
#include <cstdint>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DiskFileSystem.h"

namespace kelvane {
namespace {

constexpr int kMostLinks = 40;    // the kernel gives up on a longer chain too
constexpr int kNameAttempts = 16;

// Follows the links `path` goes through to the file they name. That file
// need not exist: a dangling link names where the file is to be, and the
// replacement creates it there (a link onto a device not yet written to).
// `exists` and `info` then tell of that file, as the last look at it found
// it. False when the links loop.
bool FollowLinks(std::string& path, struct stat& info, bool& exists) {
    std::vector<char> target(256);
    for (int followed = 0; followed < kMostLinks; ++followed) {
        exists = lstat(path.c_str(), &info) == 0;
        if (!exists || !S_ISLNK(info.st_mode)) return true;
        ssize_t length;
        while ((length = readlink(path.c_str(), target.data(), target.size())) >= 0 &&
               static_cast<std::size_t>(length) == target.size()) {
            target.resize(target.size() * 2);
        }
        if (length <= 0) return false;
        std::string next(target.data(), static_cast<std::size_t>(length));
        // A relative link is read from the folder the link lies in.
        if (next[0] != '/') {
            const std::size_t slash = path.find_last_of('/');
            if (slash != std::string::npos) next = path.substr(0, slash + 1) + next;
        }
        path = std::move(next);
    }
    return false;
}

std::string RandomSuffix() {
    static const char kDigits[] = "0123456789abcdef";
    std::random_device source;
    std::uint64_t bits = (std::uint64_t{source()} << 32) ^ source();
    std::string suffix = ".tmp";
    for (int i = 0; i < 16; ++i, bits >>= 4) suffix += kDigits[bits & 0xF];
    return suffix;
}

class ReplacingSink : public ByteSink {
public:
    // `old` is the file being replaced, when there is one.
    ReplacingSink(std::string target, std::string temporary, int fd, const struct stat* old)
        : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd), hasOld_(old != nullptr) {
        if (old != nullptr) old_ = *old;
    }
    ~ReplacingSink() override {
        if (fd_ >= 0) close(fd_);
        if (!committed_) unlink(temporary_.c_str());
    }
    bool Write(const void* data, std::size_t size) override {
        const char* at = static_cast<const char*>(data);
        while (size > 0 && !failed_ && fd_ >= 0) {
            const ssize_t written = write(fd_, at, size);
            if (written < 0) {
                if (errno == EINTR) continue;
                failed_ = true;
                break;
            }
            at += written;
            size -= static_cast<std::size_t>(written);
        }
        return !failed_ && fd_ >= 0;
    }
    bool Close() override {
        if (committed_) return true;
        if (fd_ < 0 || failed_) return false;
        TakeOverOldFile();
        const bool closed = close(fd_) == 0;
        fd_ = -1;
        if (!closed || rename(temporary_.c_str(), target_.c_str()) != 0) return false;
        committed_ = true;
        return true;
    }

private:
    // The owner first: changing it may clear the set-user-ID bits that the
    // mode then gives back. Another user's file stays ours where we may not
    // give it away; its mode is copied all the same.
    void TakeOverOldFile() {
        if (!hasOld_) return;
        if (old_.st_uid != geteuid() || old_.st_gid != getegid()) {
            if (fchown(fd_, old_.st_uid, old_.st_gid) != 0 && fchown(fd_, static_cast<uid_t>(-1), old_.st_gid) != 0) {
                // Neither owner nor group could be given: the file stays ours.
            }
        }
        fchmod(fd_, old_.st_mode & 07777);
    }

    std::string target_;
    std::string temporary_;
    int fd_;
    bool hasOld_;
    struct stat old_ {};
    bool failed_ = false;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<ByteSink> OpenReplacement(const std::string& path) {
    std::string target = path;
    struct stat old;
    bool exists = false;
    if (!FollowLinks(target, old, exists)) return nullptr;
    if (exists && S_ISDIR(old.st_mode)) return nullptr;
    const bool regular = exists && S_ISREG(old.st_mode);
    // A new file gets the mode the user's umask gives any file; a
    // replacement stays ours alone until Close copies the old file's mode.
    const mode_t mode = exists ? 0600 : 0666;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temporary = target + RandomSuffix();
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0)
            return std::make_unique<ReplacingSink>(std::move(target), std::move(temporary), fd, regular ? &old : nullptr);
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

}  // namespace kelvane
