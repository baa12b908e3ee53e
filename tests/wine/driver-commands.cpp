// The driver's commands that work the dialog as a user would: Convert,
// Browse, Play, the check boxes, the system menu and the About box, a dropped
// file, Exit; and the ones that only read it back (status, rect).
#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver.h"

namespace driver {

// A run ends on the program's worker thread, after Convert's handler has
// returned; Convert is disabled until then. A box is shown only once its
// modal loop is idle, so "no box" counts only when two answers 150 ms apart
// agree.
void CloseBoxesUntilIdle(HWND main) {
    int quiet = 0;
    while (quiet < 2) {
        if (!Settle(main)) {
            Print("FAIL the dialog stopped answering");
            ExitProcess(101);
        }
        HWND box = FindOwnedDialog(main);
        if (box == nullptr) {
            quiet = IsWindowEnabled(GetDlgItem(main, IDOK)) ? quiet + 1 : 0;
            Sleep(150);
            continue;
        }
        quiet = 0;
        Print("box: " + Escaped(TextOf(box)) + " | " + Escaped(TextOf(GetDlgItem(box, 0xFFFF))));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitFor([&] { return IsWindow(box) ? nullptr : main; }, 5000);
    }
}

namespace {

HWND FindMenuPopup() {
    HWND popup = FindWindowExW(nullptr, nullptr, L"#32768", nullptr);
    return popup != nullptr && IsWindowVisible(popup) ? popup : nullptr;
}

// Opens the system menu as Alt+Space does.
HWND OpenSystemMenu(HWND main) {
    if (HWND open = FindMenuPopup()) return open;
    PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, L' ');
    return WaitFor(FindMenuPopup);
}

}  // namespace

int Convert() {
    HWND main = RequireMainDialog();
    // Posted: a failing run opens a modal box, and a sent message would wait
    // for it.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, IDOK)));
    CloseBoxesUntilIdle(main);
    PrintStatus(main);
    return 0;
}

namespace {

// Presses Browse and waits for the file dialog; nullptr (reported) when none opens.
HWND OpenFileDialog(HWND main) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 1001)));
    HWND files = WaitFor([&] { return FindOwnedDialog(main); });
    if (files == nullptr) Print("FAIL no file dialog");
    return files;
}

// Presses `button` in the file dialog, waits for it to close and prints the
// path the main dialog then shows.
int CloseFileDialog(HWND main, HWND files, int button) {
    PostMessageW(files, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    if (WaitFor([&] { return IsWindow(files) ? nullptr : main; }) == nullptr) {
        Print("FAIL the file dialog stayed open");
        return 1;
    }
    Settle(main);
    PrintPath(main);
    return 0;
}

// The names in the file dialog's file-type list (cmb1), '|'-separated.
std::string FileTypes(HWND files) {
    HWND types = GetDlgItem(files, 0x470);
    const LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
    std::string names;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t name[512] = {};
        if (SendMessageW(types, CB_GETLBTEXTLEN, i, 0) < 512) {
            SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
        }
        names += (i == 0 ? "" : " | ") + Utf8(name);
    }
    return names;
}

}  // namespace

int Browse(const std::wstring& path) {
    HWND main = RequireMainDialog();
    HWND files = OpenFileDialog(main);
    if (files == nullptr) return 1;
    Print("file dialog: " + Escaped(TextOf(files)));
    Print("file types: " + FileTypes(files));
    // The file-name box: a ComboBoxEx32 (0x47c) in Wine's dialog, an edit
    // (0x480) in older ones.
    HWND name = GetDlgItem(files, 0x47c);
    if (name == nullptr) name = GetDlgItem(files, 0x480);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    return CloseFileDialog(main, files, IDOK);
}

// Browse, then Cancel in the file dialog.
int CancelBrowse() {
    HWND main = RequireMainDialog();
    HWND files = OpenFileDialog(main);
    if (files == nullptr) return 1;
    return CloseFileDialog(main, files, IDCANCEL);
}

// Play; prints any box it shows (one only when the hand-off failed) and the
// status text.
int Play() {
    HWND main = RequireMainDialog();
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(1005, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 1005)));
    CloseBoxesUntilIdle(main);
    PrintStatus(main);
    return 0;
}

// Clicks check box `id` when it is not yet in the wanted state, so the
// button's own click handling (an auto check box toggles itself) does the
// change, and prints the state it ends in. A greyed box cannot be clicked:
// it is left as it is, and its state printed with "(greyed)".
int SetCheck(int id, bool on) {
    HWND main = RequireMainDialog();
    HWND box = GetDlgItem(main, id);
    if (box == nullptr) {
        Print("FAIL no control " + std::to_string(id));
        return 1;
    }
    DWORD_PTR state = 0;
    SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    const bool enabled = IsWindowEnabled(box) != FALSE;
    if (enabled && (state == BST_CHECKED) != on) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(box, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
        Settle(main);
        SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
    }
    Print("check " + std::to_string(id) + ": " + (state == BST_CHECKED ? "on" : "off") + (enabled ? "" : " (greyed)"));
    return 0;
}

int Status() {
    PrintStatus(RequireMainDialog());
    return 0;
}

int SystemMenu() {
    const bool open = OpenSystemMenu(RequireMainDialog()) != nullptr;
    Print(open ? "system menu open" : "FAIL the system menu did not open");
    return open ? 0 : 1;
}

// Clicks the system menu's last item, where the About item belongs. A click
// rather than keys: Wine's menu loop takes typed keys only from the window
// that has the focus, and the virtual desktop decides that.
int About() {
    HWND main = RequireMainDialog();
    HWND popup = OpenSystemMenu(main);
    if (popup == nullptr) {
        Print("FAIL the system menu did not open");
        return 1;
    }
    RECT r;
    GetWindowRect(popup, &r);
    SetCursorPos(r.left + 20, r.bottom - 8);
    Sleep(200);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    HWND about = WaitFor([&] { return FindOwnedDialog(main, kAboutCaption); });
    if (about == nullptr) {
        Print("FAIL no About box");
        return 1;
    }
    Print("about: " + Escaped(TextOf(about)));
    RECT outer;
    RECT inner;
    GetWindowRect(main, &outer);
    GetWindowRect(about, &inner);
    const int dx = (outer.left + outer.right) - (inner.left + inner.right);
    const int dy = (outer.top + outer.bottom) - (inner.top + inner.bottom);
    Print(std::string("about centred on the dialog: ") + (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1 ? "yes" : "no"));
    for (HWND child = GetWindow(about, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const bool icon = ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON;
        const bool hasIcon = icon && SendMessageW(child, STM_GETICON, 0, 0) != 0;
        Print("about item: " + std::to_string(static_cast<short>(GetDlgCtrlID(child))) + " " +
              (icon ? std::string(hasIcon ? "(icon)" : "(no icon)") : Escaped(TextOf(child))));
    }
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    const bool closed = WaitFor([&] { return IsWindow(about) ? nullptr : main; }) != nullptr;
    Print(closed ? "about closed" : "FAIL the About box stayed open");
    return closed ? 0 : 1;
}

// Drops `path` the way the shell does: a DROPFILES block in the program's own
// memory (GlobalLock hands a fixed block back as it is) and WM_DROPFILES.
int Drop(const std::wstring& path) {
    HWND main = RequireMainDialog();
    std::vector<BYTE> block(sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t), 0);
    auto* drop = reinterpret_cast<DROPFILES*>(block.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(block.data() + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));

    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = process ? VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (remote == nullptr || !WriteProcessMemory(process, remote, block.data(), block.size(), nullptr)) {
        Print("FAIL cannot place the drop in the program");
        return 1;
    }
    // Sent, not posted: the handler opens no window, and a posted drop could
    // still wait in the queue after a sent WM_NULL has been answered.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0, SMTO_NORMAL, 30000, &ignored);
    CloseHandle(process);
    PrintPath(main);
    return 0;
}

int Exit() {
    HWND main = RequireMainDialog();
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, IDCANCEL)));
    const bool ended = process != nullptr && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    Print(ended ? "exited" : "FAIL the program is still running");
    return ended ? 0 : 1;
}

int Rect() {
    HWND main = RequireMainDialog();
    RECT r;
    GetWindowRect(main, &r);
    Print(std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "+" + std::to_string(r.left) +
          "+" + std::to_string(r.top));
    return 0;
}

}  // namespace driver
