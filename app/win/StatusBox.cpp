#include "StatusBox.h"

#include "StatusLayout.h"
#include "WideText.h"

namespace {

// The edit box's word breaks: where the status rules allow a line to wrap.
int CALLBACK StatusWordBreak(LPWSTR text, int current, int length, int action) {
    const auto size = static_cast<std::size_t>(length < 0 ? 0 : length);
    const auto at = static_cast<std::size_t>(current < 0 ? 0 : current);
    switch (action) {
    case WB_ISDELIMITER:
        return at < size && (text[at] == L' ' || text[at] == L'\t');
    case WB_LEFT:
        return static_cast<int>(kelvane::win::PreviousBreak(text, size, at));
    case WB_RIGHT:
        return static_cast<int>(kelvane::win::NextBreak(text, size, at));
    default:
        return 0;
    }
}

}  // namespace

void StatusBox::Attach(HWND edit) {
    edit_ = edit;
    SendMessageW(edit_, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(&StatusWordBreak));
}

void StatusBox::SetRunText(const std::string& text, bool fresh) {
    if (fresh) lines_.clear();
    runText_ = text;
    Show();
}

void StatusBox::AddLine(const std::string& line) {
    lines_.push_back(line);
    Show();
}

int StatusBox::TextWidth(HDC dc, const std::wstring& text) const {
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void StatusBox::Show() {
    // The width the box lays its lines out in, in its own font.
    RECT format = {};
    SendMessageW(edit_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int width = format.right - format.left - 1;
    HDC dc = GetDC(edit_);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit_, WM_GETFONT, 0, 0)));
    const kelvane::win::TextWidth measure = [&](const std::wstring& text) { return TextWidth(dc, text); };

    // The engine's lines each end in "\n"; the box wants "\r\n" between lines.
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < runText_.size(); start = end + 1) {
        end = runText_.find('\n', start);
        if (end == std::string::npos) end = runText_.size();
        lines.push_back(runText_.substr(start, end - start));
    }
    lines.insert(lines.end(), lines_.begin(), lines_.end());
    std::wstring shown;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) shown += L"\r\n";
        shown += kelvane::win::FitLine(kelvane::Widen(lines[i]), width, measure);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(edit_, dc);

    SetWindowTextW(edit_, shown.c_str());
    // The last line in view, and the caret after it should the box be focused.
    const auto end = static_cast<WPARAM>(shown.size());
    SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit_, WM_VSCROLL, SB_BOTTOM, 0);
}
