// Test driver for Kelvane.exe under Wine: a console program that finds the
// running dialog and works it through window messages, the way a user would,
// and reads back what it shows. Every command prints its findings as UTF-8
// lines; the checking commands print "ok ..." or "FAIL ..." and exit with the
// number of failures, the others leave the comparing to the calling script.
//
//   driver layout EXE   dialog 102 live and in EXE's resources; about box 100,
//                        string 101, icon, version block, manifest, glyphs
//   driver browse PATH   Browse, type PATH into the file dialog, OK; prints edit 1000
//   driver cancel-browse Browse, then Cancel; prints edit 1000
//   driver convert       Convert; prints each message box, then the status text
//                        and the progress bar
//   driver play          Play; prints each message box, the status text and the bar
//   driver status        the status text and the progress bar
//   driver sysmenu       opens the system menu and leaves it open
//   driver about         picks the About item of the system menu; prints the box's texts
//   driver drop PATH     drops PATH onto the dialog; prints edit 1000
//   driver exit          Exit; waits until the program has ended
//   driver rect          the dialog's window rectangle as WxH+X+Y
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

// Control characters are escaped so that one finding stays on one line.
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

void Check(bool good, const std::string& what, const std::string& detail = {}) {
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

const wchar_t kCaption[] = L"Kelvane";
const wchar_t kAboutCaption[] = L"关于 kelvane";

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
HWND FindMainDialog() {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, L"#32770", kCaption)) != nullptr) {
        if (GetWindow(hwnd, GW_OWNER) == nullptr) return hwnd;
    }
    return nullptr;
}

// A dialog-class window of the program's thread other than the main dialog:
// a message box, the file dialog or the About box.
HWND FindOwnedDialog(HWND main, const wchar_t* caption = nullptr) {
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

// True once the dialog's thread is back in a message loop: its own (the
// handler has returned) or a modal one (a box is up).
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

// ---------------------------------------------------------------- templates

// One control as a dialog template gives it, or as the live window shows it.
struct Control {
    int id;
    std::wstring cls;
    DWORD style;
    std::wstring text;
    RECT rect;  // left, top, width, height in dialog units
};

struct Template {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {};
    std::wstring caption;
    int pointSize = 0;
    int weight = 0;
    int charset = 0;
    std::wstring face;
    std::vector<Control> controls;
};

// Reads a DLGTEMPLATEEX (the only kind our resource script makes).
class TemplateReader {
public:
    TemplateReader(const BYTE* data, std::size_t size) : p_(data), end_(data + size), begin_(data) {}

    bool Read(Template& t) {
        if (Word() != 1 || Word() != 0xFFFF) return false;
        Dword();  // help id
        t.exStyle = Dword();
        t.style = Dword();
        const int count = Word();
        t.rect = Rect();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        t.caption = String();
        if (t.style & DS_SETFONT) {
            t.pointSize = Word();
            t.weight = Word();
            Byte();  // italic
            t.charset = Byte();
            t.face = String();
        }
        for (int i = 0; i < count && ok_; ++i) {
            Align();
            Control c;
            Dword();  // help id
            Dword();  // extended style
            c.style = Dword();
            c.rect = Rect();
            c.id = static_cast<int>(static_cast<short>(Dword()));
            c.cls = ClassName(NameOrOrdinal());
            c.text = NameOrOrdinal();
            p_ += Word();  // creation data
            t.controls.push_back(c);
        }
        return ok_ && p_ <= end_;
    }

private:
    BYTE Byte() { return Take(1) ? p_[-1] : 0; }
    WORD Word() { return Take(2) ? static_cast<WORD>(p_[-2] | p_[-1] << 8) : 0; }
    DWORD Dword() { const DWORD low = Word(); return low | static_cast<DWORD>(Word()) << 16; }
    RECT Rect() {
        RECT r;
        r.left = static_cast<short>(Word());
        r.top = static_cast<short>(Word());
        r.right = static_cast<short>(Word());
        r.bottom = static_cast<short>(Word());
        return r;
    }
    bool Take(std::size_t n) {
        if (static_cast<std::size_t>(end_ - p_) < n) { ok_ = false; return false; }
        p_ += n;
        return true;
    }
    void Align() { while ((p_ - begin_) % 4 != 0 && p_ < end_) ++p_; }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); c != 0 && ok_; c = Word()) s += static_cast<wchar_t>(c);
        return s;
    }
    // An ordinal comes back as "#n".
    std::wstring NameOrOrdinal() {
        if (static_cast<std::size_t>(end_ - p_) >= 2 && p_[0] == 0xFF && p_[1] == 0xFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return String();
    }
    static std::wstring ClassName(const std::wstring& raw) {
        static const wchar_t* const kAtoms[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
        for (int atom = 0x80; atom <= 0x85; ++atom) {
            if (raw == L"#" + std::to_wstring(atom)) return kAtoms[atom - 0x80];
        }
        return raw;
    }

    const BYTE* p_;
    const BYTE* end_;
    const BYTE* begin_;
    bool ok_ = true;
};

const WORD kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

// A resource of `module` in Chinese (0x0804) only: one in another language
// does not count.
std::vector<BYTE> ChineseResource(HMODULE module, const wchar_t* type, const wchar_t* name) {
    HRSRC info = FindResourceExW(module, type, name, kChinese);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    return data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + SizeofResource(module, info));
}

bool ReadTemplate(HMODULE module, int id, Template& t) {
    const std::vector<BYTE> data = ChineseResource(module, RT_DIALOG, MAKEINTRESOURCEW(id));
    return !data.empty() && TemplateReader(data.data(), data.size()).Read(t);
}

// ---------------------------------------------------------------- what the dialogs must be

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

// Template 102, control by control in template order. The style is the
// control's kind: the bits named here must be set, and for buttons and
// statics the kind field must match exactly.
const Control kMainControls[] = {
    {IDOK, L"Button", BS_DEFPUSHBUTTON, L"转换", {49, 141, 50, 14}},
    {IDCANCEL, L"Button", BS_PUSHBUTTON, L"退出", {170, 141, 50, 14}},
    {1000, L"Edit", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, L"", {17, 29, 222, 14}},
    {1001, L"Button", BS_PUSHBUTTON, L"浏览", {187, 13, 43, 14}},
    {-1, L"Static", SS_LEFT, L"请选则MIDI文件：", {17, 16, 77, 12}},
    {1002, L"msctls_progress32", PBS_VERTICAL, L"", {222, 49, 15, 84}},
    {1004, L"Static", SS_LEFT, L"", {24, 57, 184, 70}},
    {-1, L"Button", BS_GROUPBOX, L"信息", {17, 48, 198, 86}},
    {1005, L"Button", BS_PUSHBUTTON, L"播放", {112, 141, 50, 14}},
};

const Control kAboutControls[] = {
    {-1, L"Static", SS_ICON, L"#128", {11, 17, 0, 0}},
    {-1, L"Static", SS_LEFT, L"kelvane 1.0 版", {40, 10, 0, 0}},
    {-1, L"Static", SS_LEFT, L"MIDI 音乐转换程序", {40, 25, 0, 0}},
    {IDOK, L"Button", BS_DEFPUSHBUTTON, L"确定", {178, 7, 50, 14}},
};

const DWORD kMainStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "x" +
           std::to_string(r.bottom);
}

// Window class names are case-insensitive (and the resource compiler
// upper-cases them).
bool SameClass(const std::wstring& expected, const std::wstring& actual) {
    return CompareStringOrdinal(expected.c_str(), -1, actual.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool SameKind(const Control& expected, DWORD style) {
    if ((style & kChildVisible) != kChildVisible) return false;
    if (expected.cls == L"Button") return (style & BS_TYPEMASK) == expected.style;
    if (expected.cls == L"Static") return (style & SS_TYPEMASK) == expected.style;
    return (style & expected.style) == expected.style;
}

std::string Name(const Control& c) {
    return c.id == -1 ? "static \"" + Utf8(c.text) + "\"" : "control " + std::to_string(c.id);
}

// A rectangle from the template; width and height 0 in `expected` mean
// "not fixed" (the About box's texts and icon size themselves).
bool SameRect(const RECT& expected, const RECT& actual) {
    return expected.left == actual.left && expected.top == actual.top &&
           (expected.right == 0 || expected.right == actual.right) &&
           (expected.bottom == 0 || expected.bottom == actual.bottom);
}

void CheckTemplateControls(const std::string& which, const Template& t, const Control* expected,
                           std::size_t count) {
    CheckNumber(which + " control count", static_cast<long long>(count), static_cast<long long>(t.controls.size()));
    for (std::size_t i = 0; i < count && i < t.controls.size(); ++i) {
        const Control& e = expected[i];
        const Control& a = t.controls[i];
        const std::string name = which + " " + Name(e);
        CheckNumber(name + " id", e.id, a.id);
        Check(SameClass(e.cls, a.cls), name + " class", Utf8(a.cls));
        Check(SameKind(e, a.style), name + " style", "0x" + std::to_string(a.style));
        CheckText(name + " text", e.text, a.text);
        Check(SameRect(e.rect, a.rect), name + " rectangle", RectText(a.rect));
    }
}

// The integer base unit that maps `dialogUnits` onto `pixels` the way the
// dialog manager does (MulDiv(units, base, divisor)), or 0 when none does.
int BaseUnit(int dialogUnits, int pixels, int divisor) {
    for (int base = 1; base < 100; ++base) {
        if (MulDiv(dialogUnits, base, divisor) == pixels) return base;
    }
    return 0;
}

// The live dialog against the expected table: the rectangles are compared in
// pixels computed from the dialog units with the base units the dialog
// itself was laid out with.
void CheckLiveDialog(HWND main) {
    CheckText("live caption", kCaption, TextOf(main));
    const DWORD style = static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE));
    const DWORD liveBits = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    Check((style & liveBits) == liveBits, "live style: popup, visible, caption, system menu");
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE));
    Check((exStyle & WS_EX_APPWINDOW) != 0, "live extended style has WS_EX_APPWINDOW");
    Check((exStyle & WS_EX_ACCEPTFILES) != 0, "live dialog accepts dropped files");

    RECT client;
    GetClientRect(main, &client);
    const int baseX = BaseUnit(257, client.right, 4);
    const int baseY = BaseUnit(162, client.bottom, 8);
    Check(baseX != 0 && baseY != 0, "client area is 257 x 162 dialog units",
          std::to_string(client.right) + "x" + std::to_string(client.bottom) + " px, base units " +
              std::to_string(baseX) + "x" + std::to_string(baseY));

    std::vector<HWND> children;
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    CheckNumber("live control count", static_cast<long long>(std::size(kMainControls)),
                static_cast<long long>(children.size()));
    for (std::size_t i = 0; i < std::size(kMainControls) && i < children.size(); ++i) {
        const Control& e = kMainControls[i];
        HWND child = children[i];
        const std::string name = "live " + Name(e);
        CheckNumber(name + " id", e.id, static_cast<short>(GetDlgCtrlID(child)));
        Check(SameClass(e.cls, ClassOf(child)), name + " class", Utf8(ClassOf(child)));
        // The dialog manager turns a bordered edit's WS_BORDER into a sunken
        // client edge.
        DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        if (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        Check(SameKind(e, style), name + " style");
        CheckText(name + " text", e.text, TextOf(child));
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        // The dialog manager scales the position and the size separately.
        const int left = MulDiv(e.rect.left, baseX, 4);
        const int top = MulDiv(e.rect.top, baseY, 8);
        const RECT want = {left, top, left + MulDiv(e.rect.right, baseX, 4), top + MulDiv(e.rect.bottom, baseY, 8)};
        Check(EqualRect(&r, &want) != 0, name + " rectangle",
              "in dialog units " + std::to_string(MulDiv(r.left, 4, baseX)) + "," +
                  std::to_string(MulDiv(r.top, 8, baseY)) + " " +
                  std::to_string(MulDiv(r.right - r.left, 4, baseX)) + "x" +
                  std::to_string(MulDiv(r.bottom - r.top, 8, baseY)));
    }

}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr) {
        return L"(missing)";
    }
    return std::wstring(value);
}

void CheckResources(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Check(module != nullptr, "program loads as a resource file");
    if (module == nullptr) return;

    Template main;
    Check(ReadTemplate(module, 102, main), "template 102 in Chinese (0x0804)");
    CheckText("template 102 caption", kCaption, main.caption);
    CheckNumber("template 102 style", kMainStyle, main.style);
    CheckNumber("template 102 extended style", WS_EX_APPWINDOW, main.exStyle);
    Check(main.rect.right == 257 && main.rect.bottom == 162, "template 102 size 257 x 162", RectText(main.rect));
    CheckText("template 102 font", L"宋体", main.face);
    CheckNumber("template 102 font size", 9, main.pointSize);
    CheckNumber("template 102 font charset", GB2312_CHARSET, main.charset);
    CheckTemplateControls("template 102", main, kMainControls, std::size(kMainControls));

    Template about;
    Check(ReadTemplate(module, 100, about), "template 100 in Chinese (0x0804)");
    CheckText("template 100 caption", kAboutCaption, about.caption);
    CheckNumber("template 100 style", kMainStyle & ~WS_VISIBLE, about.style);
    CheckNumber("template 100 extended style", 0, about.exStyle);
    Check(about.rect.right == 235 && about.rect.bottom == 55, "template 100 size 235 x 55", RectText(about.rect));
    CheckText("template 100 font", L"宋体", about.face);
    CheckNumber("template 100 font size", 9, about.pointSize);
    CheckTemplateControls("template 100", about, kAboutControls, std::size(kAboutControls));

    // String 101 lives in block 7 (ids 96..111).
    Check(!ChineseResource(module, RT_STRING, MAKEINTRESOURCEW(101 / 16 + 1)).empty(), "string 101 in Chinese");
    wchar_t text[256] = {};
    LoadStringW(module, 101, text, 256);
    CheckText("string 101", L"关于 kelvane(&A)...", text);

    // Icon 128: one group with a 32x32 and a 16x16 image.
    const std::vector<BYTE> group = ChineseResource(module, RT_GROUP_ICON, MAKEINTRESOURCEW(128));
    std::vector<int> sizes;
    if (group.size() >= 6) {
        const int count = group[4] | group[5] << 8;
        for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(group.size()); ++i) {
            sizes.push_back(group[6 + 14 * i]);
        }
    }
    Check(sizes == std::vector<int>{32, 16}, "icon 128 holds 32x32 and 16x16 images");

    const std::vector<BYTE> manifest = ChineseResource(module, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    const std::string manifestText(manifest.begin(), manifest.end());
    Check(manifestText.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
              manifestText.find("version=\"6.0.0.0\"") != std::string::npos,
          "manifest asks for common controls 6");
    Check(manifestText.find(">true</dpiAware>") != std::string::npos, "manifest declares system DPI awareness");
    FreeLibrary(module);

    DWORD handle = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), &handle));
    Check(!info.empty() && GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()),
          "version block present");
    if (info.empty()) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
    Check(fixed != nullptr && fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000001 &&
              fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0x00000001,
          "file and product version 1.0.0.1");
    DWORD* translation = nullptr;
    VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length);
    CheckNumber("version translation", 0x04B00804, translation ? static_cast<long long>(*translation) : 0);
    CheckText("version FileVersion", L"1, 0, 0, 1", VersionString(info, L"FileVersion"));
    CheckText("version ProductVersion", L"1, 0, 0, 1", VersionString(info, L"ProductVersion"));
    CheckText("version InternalName", L"kelvane", VersionString(info, L"InternalName"));
    CheckText("version ProductName", L"kelvane", VersionString(info, L"ProductName"));
}

// Every character the dialogs show has a glyph in the font that 宋体 maps to.
void CheckGlyphs() {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, L"宋体");
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring texts = L"转换退出浏览请选则MIDI文件：信息播放关于 kelvane 1.0 版MIDI 音乐转换程序确定"
                               L"无法打开MIDI文件轨道数太多节拍输出成功失败";
    std::vector<WORD> glyphs(texts.size());
    const DWORD got = GetGlyphIndicesW(dc, texts.c_str(), static_cast<int>(texts.size()), glyphs.data(),
                                       GGI_MARK_NONEXISTING_GLYPHS);
    std::wstring missing;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (glyphs[i] == 0xFFFF) missing += texts[i];
    }
    Check(got == texts.size() && missing.empty(), "glyphs for every Chinese text", Utf8(missing));
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}

// ---------------------------------------------------------------- commands

int Layout(const std::wstring& exe) {
    HWND main = RequireMainDialog();
    CheckLiveDialog(main);
    CheckResources(exe);
    CheckGlyphs();
    return failures;
}

// Closes every message box that the run shows, printing its text, until the
// handler has returned. A box is shown only once its modal loop is idle, so
// "no box" counts only when two answers 150 ms apart agree.
void CloseBoxesUntilIdle(HWND main) {
    int quiet = 0;
    while (quiet < 2) {
        if (!Settle(main)) {
            Print("FAIL the dialog stopped answering");
            ExitProcess(101);
        }
        HWND box = FindOwnedDialog(main);
        if (box == nullptr) {
            ++quiet;
            Sleep(150);
            continue;
        }
        quiet = 0;
        Print("box: " + Escaped(TextOf(box)) + " | " + Escaped(TextOf(GetDlgItem(box, 0xFFFF))));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitFor([&] { return IsWindow(box) ? nullptr : main; }, 5000);
    }
}

int Convert() {
    HWND main = RequireMainDialog();
    // Posted: a failing run opens a modal box, and a sent message would wait
    // for it.
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, IDOK)));
    CloseBoxesUntilIdle(main);
    PrintStatus(main);
    return 0;
}

int Browse(const std::wstring& path) {
    HWND main = RequireMainDialog();
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 1001)));
    HWND files = WaitFor([&] { return FindOwnedDialog(main); });
    if (files == nullptr) {
        Print("FAIL no file dialog");
        return 1;
    }
    Print("file dialog: " + Escaped(TextOf(files)));
    // The file-name box: a ComboBoxEx32 (0x47c) in Wine's dialog, an edit
    // (0x480) in older ones.
    HWND name = GetDlgItem(files, 0x47c);
    if (name == nullptr) name = GetDlgItem(files, 0x480);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (WaitFor([&] { return IsWindow(files) ? nullptr : main; }) == nullptr) {
        Print("FAIL the file dialog stayed open");
        return 1;
    }
    Settle(main);
    Print("path: " + Escaped(TextOf(GetDlgItem(main, 1000))));
    return 0;
}

// Browse, then Cancel in the file dialog.
int CancelBrowse() {
    HWND main = RequireMainDialog();
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 1001)));
    HWND files = WaitFor([&] { return FindOwnedDialog(main); });
    if (files == nullptr) {
        Print("FAIL no file dialog");
        return 1;
    }
    PostMessageW(files, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (WaitFor([&] { return IsWindow(files) ? nullptr : main; }) == nullptr) {
        Print("FAIL the file dialog stayed open");
        return 1;
    }
    Settle(main);
    Print("path: " + Escaped(TextOf(GetDlgItem(main, 1000))));
    return 0;
}

// Play; prints any box it shows (there should be none) and the status text.
int Play() {
    HWND main = RequireMainDialog();
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(1005, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, 1005)));
    CloseBoxesUntilIdle(main);
    PrintStatus(main);
    return 0;
}

int Status() {
    PrintStatus(RequireMainDialog());
    return 0;
}

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
    PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    Settle(main);
    CloseHandle(process);
    Print("path: " + Escaped(TextOf(GetDlgItem(main, 1000))));
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const std::wstring arg = argc > 2 ? argv[2] : L"";
    if (command == L"layout" && argc == 3) return Layout(arg);
    if (command == L"browse" && argc == 3) return Browse(arg);
    if (command == L"cancel-browse") return CancelBrowse();
    if (command == L"convert") return Convert();
    if (command == L"play") return Play();
    if (command == L"status") return Status();
    if (command == L"sysmenu") return SystemMenu();
    if (command == L"about") return About();
    if (command == L"drop" && argc == 3) return Drop(arg);
    if (command == L"exit") return Exit();
    if (command == L"rect") return Rect();
    Print("usage: driver layout EXE | browse PATH | cancel-browse | convert | play | status | sysmenu | about | "
          "drop PATH | exit | rect");
    return 2;
}
