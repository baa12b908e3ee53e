// The Play hand-off's platform on Windows, through the wide API so that
// Chinese directory names reach the file system intact.
#include <windows.h>

#include <string>
#include <vector>

#include "Play.h"
#include "ProgramDirectory.h"
#include "WideText.h"
#include "WindowsCommandLine.h"

namespace kelvane {

namespace {

// The system's words for GetLastError's code, with the code itself.
std::string LastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring words = length > 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ' ||
                              words.back() == L'.')) {
        words.pop_back();
    }
    return (words.empty() ? std::string("error") : Narrow(words)) + " (" + std::to_string(code) + ")";
}

// A file handle closed when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    // Closes now, for a caller that must know whether the close worked.
    bool Close() {
        const bool ok = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

// Copies the rest of `in` into the existing file `path` and flushes it to
// the medium. On false, GetLastError says why.
bool WriteFlushed(HANDLE in, const wchar_t* path) {
    Handle out(CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) {
        return false;
    }
    std::vector<char> buffer(65536);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        DWORD written = 0;
        if (!WriteFile(out.get(), buffer.data(), got, &written, nullptr)) {
            return false;
        }
        if (written != got) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
    }
    return FlushFileBuffers(out.get()) && out.Close();
}

class WindowsPlatform : public PlayPlatform {
public:
    std::string ProgramDirectory() override { return kelvane::ProgramDirectory(); }

    std::vector<std::string> DeviceRoots() override { return DriveRoots(); }

    bool VolumeLabel(const std::string& root, std::string& label) override {
        // An empty card reader or floppy drive must not stop the probe with a
        // "no disk" box. The thread's mode, not the process's: the dialog's
        // other threads (the file dialog's) keep theirs.
        DWORD previousMode = 0;
        const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode) != 0;
        wchar_t name[MAX_PATH + 1] = {};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        DWORD serial = 0;
        const BOOL ok = GetVolumeInformationW(Widen(root).c_str(), name, MAX_PATH + 1, &serial,
                                              nullptr, nullptr, fileSystem, MAX_PATH + 1);
        if (modeSet) {
            SetThreadErrorMode(previousMode, nullptr);
        }
        if (!ok) {
            return false;
        }
        label = Narrow(name);
        return true;
    }

    // Written beside the destination under a temporary name, flushed to the
    // medium and then moved over it, so that a stick pulled out halfway holds
    // the old image or the new one, never half of one.
    bool CopyReplacing(const std::string& from, const std::string& to, std::string& error) override {
        const std::wstring source = Widen(from);
        const std::wstring target = Widen(to);
        Handle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!in.valid()) {
            error = "cannot open " + from + ": " + LastErrorText();
            return false;
        }
        const std::size_t slash = target.find_last_of(L"\\/");
        const std::wstring dir = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
        wchar_t temp[MAX_PATH + 1] = {};
        // Creates the empty file under a name of its own (8.3, as FAT wants).
        if (GetTempFileNameW(dir.c_str(), L"kel", 0, temp) == 0) {
            error = LastErrorText();
            return false;
        }
        if (!WriteFlushed(in.get(), temp) ||
            !MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = LastErrorText();
            DeleteFileW(temp);
            return false;
        }
        return true;
    }

    bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                      std::string& error) override {
        const std::wstring application = Widen(program);
        // CreateProcessW may write into the command line, so it gets its own buffer.
        std::wstring line = Widen(WindowsCommandLine(program, args));
        std::vector<wchar_t> buffer(line.begin(), line.end());
        buffer.push_back(L'\0');
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(application.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            error = LastErrorText();
            return false;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    bool FileExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
};

}  // namespace

std::unique_ptr<PlayPlatform> MakeWindowsPlatform() {
    return std::make_unique<WindowsPlatform>();
}

std::unique_ptr<PlayPlatform> MakeSystemPlatform() {
    return MakeWindowsPlatform();
}

}  // namespace kelvane
