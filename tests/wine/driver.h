// Shared by the parts of the Wine test driver (see driver-main.cpp for its
// commands): printing findings, counting failed checks, and finding and
// reading the program's windows.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// ---------------------------------------------------------------- output

std::string Utf8(const std::wstring& text);

// Control characters are escaped so that one finding stays on one line.
std::string Escaped(const std::wstring& text);

void Print(const std::string& line);

// The number of failed checks so far; the checking commands exit with it.
extern int failures;

void Check(bool good, const std::string& what, const std::string& detail = {});
void CheckText(const std::string& what, const std::wstring& expected, const std::wstring& actual);
void CheckNumber(const std::string& what, long long expected, long long actual);

// ---------------------------------------------------------------- windows

inline constexpr wchar_t kCaption[] = L"Kelvane";
inline constexpr wchar_t kAboutCaption[] = L"关于 kelvane";

std::wstring TextOf(HWND hwnd);
std::wstring ClassOf(HWND hwnd);

// Polls `find` every 50 ms until it yields a window or `ms` have passed.
template <typename Find>
HWND WaitFor(Find find, int ms = 10000) {
    for (int waited = 0; waited <= ms; waited += 50) {
        if (HWND found = find()) return found;
        Sleep(50);
    }
    return nullptr;
}

// The main dialog: caption "Kelvane" and no owner (a message box has the
// same caption but is owned by the dialog).
HWND FindMainDialog();

// A dialog-class window of the program's thread other than the main dialog:
// a message box, the file dialog or the About box.
HWND FindOwnedDialog(HWND main, const wchar_t* caption = nullptr);

// True once the dialog's thread is back in a message loop: its own (the
// handler has returned) or a modal one (a box is up).
bool Settle(HWND main);

// The main dialog, waited for; without one the driver ends with code 100.
HWND RequireMainDialog();

// Prints the status text and the progress bar.
void PrintStatus(HWND main);

// Prints how the status box shows its text: its lines, whether the last is
// in view, where it wrapped lines and whether any wrap split a number from
// its unit, and whether every line ends inside the box.
void PrintStatusView(HWND main);

// The control that has the keyboard focus in the program, or nullptr.
HWND FocusOf(HWND main);

// Prints the path field (edit 1000) and whether its end, the file name, is
// in view.
void PrintPath(HWND main);

// ---------------------------------------------------------------- commands

int Layout(const std::wstring& exe);  // driver-layout.cpp
int Tabs();
int Convert();                        // the rest: driver-commands.cpp
int Browse(const std::wstring& path);
int CancelBrowse();
int Play();
int SetCheck(int id, bool on);
int Status();
int SystemMenu();
int About();
int Drop(const std::wstring& path);
int Exit();
int Rect();
int Focus();                          // driver-run.cpp
int Key(wchar_t letter);
int Busy();
int ExitDuringRun(bool escape);
int Escape();
int ClickNote(int note, int box);
int Minimize();

// Closes every message box a run shows, printing its text, until the run
// has ended and the dialog is idle.
void CloseBoxesUntilIdle(HWND main);

}  // namespace driver
