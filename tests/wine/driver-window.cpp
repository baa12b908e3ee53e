// The Wine test driver's output and window helpers: findings printed as
// UTF-8 lines, checks counted, and the program's windows found and read
// through messages.
#include "driver.h"

#include <commctrl.h>

namespace driver {

// ---------------------------------------------------------------- output

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::string Escaped(const std::wstring& text) {
    std::string out;
    for (char c : Utf8(text)) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

void Print(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
              nullptr);
}

int failures = 0;

void Check(bool good, const std::string& what, const std::string& detail) {
    Print(std::string(good ? "ok   " : "FAIL ") + what + (detail.empty() ? "" : ": " + detail));
    if (!good) ++failures;
}

void CheckText(const std::string& what, const std::wstring& expected, const std::wstring& actual) {
    Check(expected == actual, what,
          expected == actual ? Escaped(actual) : "expected \"" + Escaped(expected) + "\", got \"" + Escaped(actual) + "\"");
}

void CheckNumber(const std::string& what, long long expected, long long actual) {
    Check(expected == actual, what,
          expected == actual ? std::to_string(actual)
                             : "expected " + std::to_string(expected) + ", got " + std::to_string(actual));
}

// ---------------------------------------------------------------- windows

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return std::wstring(buffer, copied);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

HWND FindMainDialog() {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, L"#32770", kCaption)) != nullptr) {
        if (GetWindow(hwnd, GW_OWNER) == nullptr) return hwnd;
    }
    return nullptr;
}

HWND FindOwnedDialog(HWND main, const wchar_t* caption) {
    struct Search {
        HWND main;
        const wchar_t* caption;
        HWND found;
    } search = {main, caption, nullptr};
    struct Visit {
        static BOOL CALLBACK Window(HWND hwnd, LPARAM param) {
            auto* s = reinterpret_cast<Search*>(param);
            if (hwnd == s->main || ClassOf(hwnd) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
            if (s->caption != nullptr && TextOf(hwnd) != s->caption) return TRUE;
            s->found = hwnd;
            return FALSE;
        }
    };
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), &Visit::Window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Settle(HWND main) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored) != 0;
}

HWND RequireMainDialog() {
    HWND main = WaitFor(FindMainDialog, 20000);
    if (main == nullptr) {
        Print("FAIL no dialog with the caption Kelvane");
        ExitProcess(100);
    }
    return main;
}

void PrintStatus(HWND main) {
    Print("status: " + Escaped(TextOf(GetDlgItem(main, 1004))));
    HWND bar = GetDlgItem(main, 1002);
    // No PBRANGE pointer: it would not reach the other process. Asked
    // without one, the bar answers with one limit at a time.
    const LRESULT low = SendMessageW(bar, PBM_GETRANGE, TRUE, 0);
    const LRESULT high = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    const LRESULT pos = SendMessageW(bar, PBM_GETPOS, 0, 0);
    Print("progress: " + std::to_string(pos) + " of " + std::to_string(low) + ".." + std::to_string(high));
}

void PrintPath(HWND main) {
    HWND edit = GetDlgItem(main, 1000);
    const std::wstring text = TextOf(edit);
    Print("path: " + Escaped(text));
    bool shown = true;
    if (!text.empty()) {
        // Where the last character stands in the field's client area; the
        // answer is a pair of signed 16-bit coordinates.
        const LRESULT at = SendMessageW(edit, EM_POSFROMCHAR, text.size() - 1, 0);
        const int x = static_cast<short>(LOWORD(at));
        RECT client;
        GetClientRect(edit, &client);
        shown = at != -1 && x >= 0 && x < client.right;
    }
    Print(std::string("path end shown: ") + (shown ? "yes" : "no"));
}

}  // namespace driver
