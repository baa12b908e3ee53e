#include "Console.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Language.h"

#ifdef _WIN32
#include <windows.h>

#include "WideText.h"
#else
#include <signal.h>
#endif

namespace kelvane::cli {

namespace {

// errno of the first failed write to standard output, 0 while none failed.
int stdoutError = 0;

thread_local SaidText* threadRecord = nullptr;

// Writes and flushes, so that a failure is seen with its errno at once.
void Write(std::FILE* stream, const std::string& text) {
    const bool ok = std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
    if (!ok && stream == stdout && stdoutError == 0) stdoutError = errno != 0 ? errno : EIO;
}

// Runs at exit, after main has returned its status: the first failed write,
// or a failed close (whatever was still buffered), makes the status 1. A
// closed pipe is not worth a message: the reader chose to stop reading.
void CloseStandardOutput() {
    int code = stdoutError;
    errno = 0;
    if (std::fclose(stdout) != 0 && code == 0) code = errno != 0 ? errno : EIO;
    if (code == 0) return;
    if (code != EPIPE) {
        Print(stderr, "kelvane: " + Fill(Tr("cannot write standard output: {1}"), {std::strerror(code)}) + "\n");
    }
    // Not exit(): this runs inside it.
    std::_Exit(1);
}

}  // namespace

void GuardStandardOutput() {
#ifndef _WIN32
    signal(SIGPIPE, SIG_IGN);
#endif
    std::atexit(CloseStandardOutput);
}

void RecordOnThisThread(SaidText* record) { threadRecord = record; }

void Replay(const SaidText& record) {
    for (const Said& piece : record) Print(piece.stream, piece.text);
}

#ifdef _WIN32

void Print(std::FILE* stream, const std::string& utf8) {
    if (threadRecord) {
        threadRecord->push_back({stream, utf8});
        return;
    }
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        std::wstring wide = Widen(utf8);
        DWORD written;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    Write(stream, utf8);
}

std::vector<std::string> Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(Narrow(argv[i]));
    return arguments;
}

#else

void Print(std::FILE* stream, const std::string& utf8) {
    if (threadRecord) {
        threadRecord->push_back({stream, utf8});
        return;
    }
    Write(stream, utf8);
}

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

#endif

}  // namespace kelvane::cli
