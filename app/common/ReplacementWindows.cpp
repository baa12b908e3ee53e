// Replacing a file on Windows: the temporary file is made with CREATE_NEW
// under a name nobody can guess, and ReplaceFileW puts it in the old file's
// place, which keeps the old file's attributes, security and creation time
// (a rename would give the new file the temporary's).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <random>

#include "DiskFileSystem.h"
#include "WideText.h"

namespace kelvane {
namespace {

constexpr int kNameAttempts = 16;

std::wstring RandomSuffix() {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::random_device source;
    std::uint64_t bits = (std::uint64_t{source()} << 32) ^ source();
    std::wstring suffix = L".tmp";
    for (int i = 0; i < 16; ++i, bits >>= 4) suffix += kDigits[bits & 0xF];
    return suffix;
}

class ReplacingSink : public ByteSink {
public:
    ReplacingSink(std::wstring target, std::wstring temporary, HANDLE file)
        : target_(std::move(target)), temporary_(std::move(temporary)), file_(file) {}
    ~ReplacingSink() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        if (!committed_) DeleteFileW(temporary_.c_str());
    }
    bool Write(const void* data, std::size_t size) override {
        const char* at = static_cast<const char*>(data);
        while (size > 0 && !failed_ && file_ != INVALID_HANDLE_VALUE) {
            const DWORD piece = static_cast<DWORD>(size > 0x40000000u ? 0x40000000u : size);
            DWORD written = 0;
            if (!WriteFile(file_, at, piece, &written, nullptr) || written == 0) {
                failed_ = true;
                break;
            }
            at += written;
            size -= written;
        }
        return !failed_ && file_ != INVALID_HANDLE_VALUE;
    }
    bool Close() override {
        if (committed_) return true;
        if (file_ == INVALID_HANDLE_VALUE || failed_) return false;
        const bool closed = CloseHandle(file_) != 0;
        file_ = INVALID_HANDLE_VALUE;
        if (!closed) return false;
        // ReplaceFileW wants an old file; a first output is a plain rename.
        const bool replaced =
            GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES
                ? ReplaceFileW(target_.c_str(), temporary_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                               nullptr, nullptr) != 0
                : MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        committed_ = replaced;
        return replaced;
    }

private:
    std::wstring target_;
    std::wstring temporary_;
    HANDLE file_;
    bool failed_ = false;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<ByteSink> OpenReplacement(const std::string& path) {
    std::wstring target = Widen(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return nullptr;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring temporary = target + RandomSuffix();
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return std::make_unique<ReplacingSink>(std::move(target), std::move(temporary), file);
        if (GetLastError() != ERROR_FILE_EXISTS) return nullptr;
    }
    return nullptr;
}

}  // namespace kelvane
