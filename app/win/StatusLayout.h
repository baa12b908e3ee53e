// How the dialog fits its status lines into a box of fixed width: where a
// wrapped line may end, and a long path shortened in its middle; and the
// Chinese punctuation of lines it shares with the command line. Plain C++,
// so the rules are tested without Windows; the dialog measures with its font.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kelvane::win {

// The width of a text in the box's font, in pixels.
using TextWidth = std::function<int(const std::wstring&)>;

// True when a wrapped line may end just before text[i] (0 < i < size): after
// a space, a path separator or Chinese punctuation, and between two Chinese
// characters. Never between a number and its unit ("4565击", "61%"), never
// before a punctuation mark or after an opening one.
bool MayBreakBefore(const wchar_t* text, std::size_t size, std::size_t i);

// The first place at or after `from` where a line may break, else `size`.
std::size_t NextBreak(const wchar_t* text, std::size_t size, std::size_t from);

// The last place before `from` where a line may break, else 0.
std::size_t PreviousBreak(const wchar_t* text, std::size_t size, std::size_t from);

// Where a path starts in a status line ("C:\..." or "\\server\..."), or npos.
// Our lines put a path last, so it runs to the end of the line.
std::size_t PathStart(const std::wstring& line);

// `path` shortened in its middle to fit `width`: the drive and as many of the
// first folders as fit, "...", and the file name whole, as in
// "C:\...\第九首 森林关卡 背景音乐 (完整版).mid". Unchanged when it fits; the
// shortest form when even that does not (the box then wraps the name).
std::wstring CompactPath(const std::wstring& path, int width, const TextWidth& measure);

// The line with its path, if any, shortened so that the whole line fits.
std::wstring FitLine(const std::wstring& line, int width, const TextWidth& measure);

// UTF-8 Chinese text with Chinese quotes: "x" gives “x”. For lines that hold
// a name the user chose, which keeps its own marks.
std::string WithChineseQuotes(const std::string& text);

// The same, and ", " "; " ": " give "，" "；" "：", for lines of the program's
// own words and numbers. The "提示: " that starts every piece of advice stays.
std::string WithChinesePunctuation(const std::string& text);

}  // namespace kelvane::win
