// The status box (control 1004): a read-only edit box that shows the run's
// status lines and, after them, the dialog's own lines. A long path is
// shortened in its middle to fit a line, a longer line wraps only where the
// status rules allow (never between a number and its unit), and after every
// change the box scrolls to its last line, so the result is always in view.
#pragma once

#include <string>
#include <vector>

#include "Win32.h"

class StatusBox {
public:
    // Takes over the edit box; call once the dialog's controls exist.
    void Attach(HWND edit);

    // The engine's status text (lines ending in "\n"); `fresh` starts a new
    // run, which also drops the dialog's lines of the run before.
    void SetRunText(const std::string& text, bool fresh);
    // A line of the dialog's own, after the others.
    void AddLine(const std::string& line);

private:
    void Show();
    int TextWidth(HDC dc, const std::wstring& text) const;

    HWND edit_ = nullptr;
    std::string runText_;
    std::vector<std::string> lines_;
};
