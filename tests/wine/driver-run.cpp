// The driver's commands about the keyboard, the window and a run that takes
// a while: where the focus is, access keys typed as a user types them, the
// check box's description clicked, minimising, the window answering while a
// conversion runs, and Exit during a run.
#include <windows.h>

#include <string>

#include "driver.h"

namespace driver {

namespace {

std::string ControlName(HWND main, HWND control) {
    if (control == nullptr) return "none";
    if (GetParent(control) != main) return "elsewhere";
    return std::to_string(static_cast<short>(GetDlgCtrlID(control)));
}

std::string CheckState(HWND main, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(main, id), BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    return state == BST_CHECKED ? "on" : "off";
}

void SendKeys(const WORD* keys, int count, bool up) {
    for (int i = 0; i < count; ++i) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = keys[up ? count - 1 - i : i];
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
}

// Clicks the middle of a window with the messages a mouse click brings it.
// Posted rather than typed with SendInput: under Wine a synthetic click is
// at times lost on its way, and the layout checks that the window is one a
// real click reaches (a static with SS_NOTIFY).
void ClickOn(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(window, WM_LBUTTONUP, 0, middle);
}

// Makes the dialog the window that takes the keys and the clicks.
void BringToFront(HWND main) {
    SetForegroundWindow(main);
    WaitFor([&] { return GetForegroundWindow() == main ? main : nullptr; }, 2000);
}

// Esc, typed into the dialog as a user types it.
void TypeEscape(HWND main) {
    BringToFront(main);
    const WORD key[] = {VK_ESCAPE};
    SendKeys(key, 1, false);
    SendKeys(key, 1, true);
}

// Waits until Convert is disabled: a run has started. False after `ms`.
bool WaitForRun(HWND main, int ms) {
    return WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDOK)) ? nullptr : main; }, ms) != nullptr;
}

}  // namespace

HWND FocusOf(HWND main) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int Focus() {
    HWND main = RequireMainDialog();
    Settle(main);
    Print("focus: " + ControlName(main, FocusOf(main)));
    return 0;
}

// Alt and a letter (or Enter, for '\n'), typed into the dialog; then
// whatever it started is let run to its end, and the dialog read back.
int Key(wchar_t letter) {
    HWND main = RequireMainDialog();
    BringToFront(main);
    if (letter == L'\n') {
        const WORD enter[] = {VK_RETURN};
        SendKeys(enter, 1, false);
        SendKeys(enter, 1, true);
    } else {
        const WORD keys[] = {VK_MENU, static_cast<WORD>(towupper(letter))};
        SendKeys(keys, 2, false);
        SendKeys(keys, 2, true);
    }
    Sleep(200);
    CloseBoxesUntilIdle(main);
    PrintStatus(main);
    Print("check 1006: " + CheckState(main, 1006));
    Print("check 1008: " + CheckState(main, 1008));
    Print("check 1009: " + CheckState(main, 1009));
    Print("focus: " + ControlName(main, FocusOf(main)));
    return 0;
}

int ClickNote(int note, int box) {
    HWND main = RequireMainDialog();
    const std::string name = "check " + std::to_string(box);
    Print(name + " before: " + CheckState(main, box));
    ClickOn(GetDlgItem(main, note));
    Sleep(200);
    Settle(main);
    Print(name + " after: " + CheckState(main, box));
    return 0;
}

// The minimise box, the system menu's items, and minimising through it.
int Minimize() {
    HWND main = RequireMainDialog();
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    Print(std::string("minimize box: ") + ((style & WS_MINIMIZEBOX) != 0 ? "yes" : "no"));
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    const bool iconic = WaitFor([&] { return IsIconic(main) ? main : nullptr; }, 5000) != nullptr;
    Print(std::string("minimized: ") + (iconic ? "yes" : "no"));
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    const bool restored = WaitFor([&] { return IsIconic(main) ? nullptr : main; }, 5000) != nullptr;
    Print(std::string("restored: ") + (restored ? "yes" : "no"));
    return 0;
}

// Convert, then while the run goes: is Convert disabled, does the window
// answer, and how long does an answer take. Ends when the run has ended.
int Busy() {
    HWND main = RequireMainDialog();
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, IDOK)));
    const bool started = WaitForRun(main, 5000);
    Print(std::string("run seen: ") + (started ? "yes" : "no"));
    int answers = 0;
    DWORD longest = 0;
    std::wstring during;
    while (started && !IsWindowEnabled(GetDlgItem(main, IDOK))) {
        const DWORD start = GetTickCount();
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) == 0) break;
        const DWORD took = GetTickCount() - start;
        if (took > longest) longest = took;
        if (!IsWindowEnabled(GetDlgItem(main, IDOK))) {
            ++answers;
            if (during.empty()) during = TextOf(GetDlgItem(main, 1004));
        }
        Sleep(50);
    }
    Print("answers while running: " + std::to_string(answers));
    Print("longest answer ms: " + std::to_string(longest));
    Print("status while running: " + Escaped(during));
    CloseBoxesUntilIdle(main);
    PrintStatus(main);
    return 0;
}

int Escape() {
    HWND main = RequireMainDialog();
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    TypeEscape(main);
    const bool ended = process != nullptr && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    Print(ended ? "exited" : "FAIL the program is still running");
    return ended ? 0 : 1;
}

// Convert, then Exit (or Esc) while the run goes: the dialog stays until the
// run has ended, then the program ends.
int ExitDuringRun(bool escape) {
    HWND main = RequireMainDialog();
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, IDOK)));
    if (!WaitForRun(main, 5000)) {
        Print("FAIL no run started");
        return 1;
    }
    if (escape) {
        TypeEscape(main);
    } else {
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(main, IDCANCEL)));
    }
    Sleep(200);
    Settle(main);
    const bool open = IsWindow(main) && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    Print(std::string("open while the run goes: ") + (open ? "yes" : "no"));
    Print("status after Exit: " + Escaped(TextOf(GetDlgItem(main, 1004))));
    Print(std::string("Exit enabled: ") + (IsWindowEnabled(GetDlgItem(main, IDCANCEL)) ? "yes" : "no"));
    // A box the run shows holds it up until closed, as a user would.
    bool ended = false;
    for (int waited = 0; !ended && waited < 120000; waited += 100) {
        if (HWND box = FindOwnedDialog(main)) {
            Print("box: " + Escaped(TextOf(GetDlgItem(box, 0xFFFF))));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        ended = WaitForSingleObject(process, 100) == WAIT_OBJECT_0;
    }
    Print(ended ? "exited after the run" : "FAIL the program is still running");
    CloseHandle(process);
    return ended ? 0 : 1;
}

}  // namespace driver
