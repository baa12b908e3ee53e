#include "StatusLayout.h"

#include <cwchar>
#include <vector>

namespace kelvane::win {
namespace {

constexpr wchar_t kEllipsis[] = L"...";
constexpr char kAdvice[] = "提示: ";

// Han characters and the kana, which Chinese text breaks between freely.
bool IsIdeograph(wchar_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
}

// Marks that belong to what stands before them: a line never starts with one.
bool ClosesWord(wchar_t c) {
    return c != 0 && std::wcschr(L"，。、：；！？）」』”’》〉】,.:;!?)]}%", c) != nullptr;
}

bool OpensWord(wchar_t c) {
    return c != 0 && std::wcschr(L"（「『“‘《〈【([{", c) != nullptr;
}

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

bool IsFullWidthPunctuation(wchar_t c) { return (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFF0F); }

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool MayBreakBefore(const wchar_t* text, std::size_t size, std::size_t i) {
    if (i == 0 || i >= size) return false;
    const wchar_t before = text[i - 1];
    const wchar_t at = text[i];
    if (IsSpace(at) || ClosesWord(at) || OpensWord(before)) return false;
    if (IsDigit(before)) return false;  // a number keeps its unit: "4565击", "1,234"
    if (IsSpace(before) || before == L'\\') return true;
    if (IsFullWidthPunctuation(before) || (ClosesWord(before) && IsIdeograph(at))) return true;
    // Between Chinese characters, and before an opening mark after one.
    return IsIdeograph(before) && (IsIdeograph(at) || OpensWord(at));
}

std::size_t NextBreak(const wchar_t* text, std::size_t size, std::size_t from) {
    std::size_t i = from;
    while (i < size && !MayBreakBefore(text, size, i)) ++i;
    return i < size ? i : size;
}

std::size_t PreviousBreak(const wchar_t* text, std::size_t size, std::size_t from) {
    std::size_t i = from > size ? size : from;
    if (i > 0) --i;
    while (i > 0 && !MayBreakBefore(text, size, i)) --i;
    return i;
}

std::size_t PathStart(const std::wstring& line) {
    for (std::size_t i = 0; i + 2 < line.size(); ++i) {
        const wchar_t c = line[i];
        const bool wordBefore = i > 0 && (IsAsciiLetter(line[i - 1]) || IsDigit(line[i - 1]) || line[i - 1] == L'_');
        if (IsAsciiLetter(c) && !wordBefore && line[i + 1] == L':' && line[i + 2] == L'\\') return i;
        if (c == L'\\' && line[i + 1] == L'\\') return i;
    }
    return std::wstring::npos;
}

std::wstring CompactPath(const std::wstring& path, int width, const TextWidth& measure) {
    if (measure(path) <= width) return path;
    // The root: "C:\" or "\\server\share\", which stays whole.
    std::size_t rootEnd = 0;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        rootEnd = 3;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        const std::size_t server = path.find(L'\\', 2);
        const std::size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        rootEnd = share == std::wstring::npos ? 0 : share + 1;
    }
    const std::size_t nameStart = path.rfind(L'\\');
    if (nameStart == std::wstring::npos || nameStart < rootEnd) return path;  // no folder to leave out
    const std::wstring name = path.substr(nameStart);  // with its '\'

    // The ends of the folders after the root, each at its '\'.
    std::vector<std::size_t> folderEnds;
    for (std::size_t at = path.find(L'\\', rootEnd); at != std::wstring::npos && at < nameStart;
         at = path.find(L'\\', at + 1)) {
        folderEnds.push_back(at);
    }
    // Leave out at least one folder, keeping as many of the first ones as fit.
    // (folderEnds ends every folder but the last, which ends at the name.)
    for (std::size_t kept = folderEnds.size() + 1; kept-- > 0;) {
        const std::size_t headEnd = kept == 0 ? rootEnd : folderEnds[kept - 1] + 1;
        std::wstring candidate = path.substr(0, headEnd) + kEllipsis + name;
        if (kept == 0 || measure(candidate) <= width) return candidate;
    }
    // The file lies right in the root: the name itself is too long.
    return path;
}

std::wstring FitLine(const std::wstring& line, int width, const TextWidth& measure) {
    const std::size_t start = PathStart(line);
    if (start == std::wstring::npos || measure(line) <= width) return line;
    const std::wstring head = line.substr(0, start);
    return head + CompactPath(line.substr(start), width - measure(head), measure);
}

namespace {

std::string ChinesePunctuation(const std::string& text, bool marks) {
    const std::string advice = kAdvice;
    const std::size_t start = text.compare(0, advice.size(), advice) == 0 ? advice.size() : 0;
    std::string out = text.substr(0, start);
    bool open = true;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        const bool spaced = i + 1 < text.size() && text[i + 1] == ' ';
        if (c == '"') {
            out += open ? "“" : "”";
            open = !open;
        } else if (marks && spaced && (c == ',' || c == ';' || c == ':')) {
            out += c == ',' ? "，" : c == ';' ? "；" : "：";
            ++i;  // a full-width mark holds its own space
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string WithChineseQuotes(const std::string& text) { return ChinesePunctuation(text, false); }

std::string WithChinesePunctuation(const std::string& text) { return ChinesePunctuation(text, true); }

}  // namespace kelvane::win
