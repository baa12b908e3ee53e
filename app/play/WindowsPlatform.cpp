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

class WindowsPlatform : public PlayPlatform {
public:
    std::string ProgramDirectory() override { return kelvane::ProgramDirectory(); }

    std::vector<std::string> DeviceRoots() override { return DriveRoots(); }

    bool VolumeLabel(const std::string& root, std::string& label) override {
        // An empty card reader or floppy drive must not stop the probe with a
        // "no disk" box.
        const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        wchar_t name[MAX_PATH + 1] = {};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        DWORD serial = 0;
        const BOOL ok = GetVolumeInformationW(Widen(root).c_str(), name, MAX_PATH + 1, &serial,
                                              nullptr, nullptr, fileSystem, MAX_PATH + 1);
        SetErrorMode(previousMode);
        if (!ok) {
            return false;
        }
        label = Narrow(name);
        return true;
    }

    bool CopyReplacing(const std::string& from, const std::string& to, std::string& error) override {
        if (CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE)) {
            return true;
        }
        error = LastErrorText();
        return false;
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
