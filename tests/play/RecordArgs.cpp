// A stand-in for the emulator (and for Wine): writes the arguments it got,
// one per line after their count, to args.txt beside itself, so a test can
// see exactly what the hand-off passed. Written under a temporary name and
// renamed, so a test that polls never reads half of it.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>

namespace {

std::string Narrow(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

std::wstring OwnDirectory() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::string record = std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) {
        record += Narrow(argv[i]) + "\n";
    }
    const std::wstring dir = OwnDirectory();
    const std::wstring temp = dir + L"args.tmp";
    std::FILE* out = _wfopen(temp.c_str(), L"wb");
    if (out == nullptr) return 1;
    std::fwrite(record.data(), 1, record.size(), out);
    std::fclose(out);
    return MoveFileExW(temp.c_str(), (dir + L"args.txt").c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

#else
#include <unistd.h>

#include <climits>

int main(int argc, char** argv) {
    std::string record = std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) {
        record += std::string(argv[i]) + "\n";
    }
    // Whether the hand-off detached it from the caller's session.
    record += getsid(0) == getpid() ? "session leader\n" : "in caller's session\n";
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return 1;
    std::string dir(self, static_cast<std::size_t>(length));
    dir.erase(dir.find_last_of('/') + 1);
    std::FILE* out = std::fopen((dir + "args.tmp").c_str(), "wb");
    if (out == nullptr) return 1;
    std::fwrite(record.data(), 1, record.size(), out);
    std::fclose(out);
    return std::rename((dir + "args.tmp").c_str(), (dir + "args.txt").c_str()) == 0 ? 0 : 1;
}
#endif
