// The Wine test driver's output and window helpers: findings printed as
// UTF-8 lines, checks counted, and the program's windows found and read
// through messages.
#include "driver.h"

#include <commctrl.h>

#include <cwchar>

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
    // The box is an edit box: its lines end in CR LF.
    std::wstring text;
    for (wchar_t c : TextOf(GetDlgItem(main, 1004))) {
        if (c != L'\r') text += c;
    }
    Print("status: " + Escaped(text));
    HWND bar = GetDlgItem(main, 1002);
    // No PBRANGE pointer: it would not reach the other process. Asked
    // without one, the bar answers with one limit at a time.
    const LRESULT low = SendMessageW(bar, PBM_GETRANGE, TRUE, 0);
    const LRESULT high = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    const LRESULT pos = SendMessageW(bar, PBM_GETPOS, 0, 0);
    Print("progress: " + std::to_string(pos) + " of " + std::to_string(low) + ".." + std::to_string(high));
}

namespace {

bool IsIdeograph(wchar_t c) { return c >= 0x3400 && c <= 0x9FFF; }

bool ClosesWord(wchar_t c) { return c != 0 && wcschr(L"，。、：；！？）”,.:;!?)%", c) != nullptr; }

}  // namespace

void PrintStatusView(HWND main) {
    HWND box = GetDlgItem(main, 1004);
    const std::wstring text = TextOf(box);
    const auto count = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
    const auto first = static_cast<int>(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0));
    RECT client;
    GetClientRect(box, &client);
    auto top = [&](int line) {
        const LRESULT at = SendMessageW(box, EM_POSFROMCHAR, SendMessageW(box, EM_LINEINDEX, line, 0), 0);
        return at == -1 ? -1 : static_cast<int>(static_cast<short>(HIWORD(at)));
    };
    // A line is in view when its top and one line height below it are.
    const int height = count > first + 1 ? top(first + 1) - top(first) : 14;
    const int lastTop = top(count - 1);
    Print("status view: " + std::to_string(count) + " lines, first shown " + std::to_string(first));
    Print(std::string("status last line shown: ") +
          (lastTop >= 0 && lastTop + height <= client.bottom ? "yes" : "no"));

    // Where the box wrapped a line, what stands on either side; and whether
    // every line ends inside the box.
    std::string breaks;
    bool fits = true;
    for (int line = 0; line < count; ++line) {
        const auto start = static_cast<std::size_t>(SendMessageW(box, EM_LINEINDEX, line, 0));
        const auto length = static_cast<std::size_t>(SendMessageW(box, EM_LINELENGTH, start, 0));
        if (length > 0) {
            const LRESULT end = SendMessageW(box, EM_POSFROMCHAR, start + length - 1, 0);
            fits = fits && end != -1 && static_cast<short>(LOWORD(end)) < client.right;
        }
        if (line == 0 || start == 0 || start >= text.size() || text[start - 1] == L'\n') continue;
        const wchar_t before = text[start - 1];
        const wchar_t at = text[start];
        const bool bad = ClosesWord(at) || (before >= L'0' && before <= L'9' && (IsIdeograph(at) || at == L'%'));
        breaks += (breaks.empty() ? "" : " ") + std::string(bad ? "BAD:" : "") + Utf8(std::wstring{before, L'|', at});
    }
    Print("status wraps: " + (breaks.empty() ? std::string("none") : breaks));
    Print(std::string("status lines fit: ") + (fits ? "yes" : "no"));
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
