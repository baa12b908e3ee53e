// The driver's layout command: the live dialog and the program's resources
// (templates 102 and 100, string 101, icon, manifest, version block) against
// what they must be, and a glyph for every Chinese text the dialogs show.
#include <windows.h>

#include <commctrl.h>

#include <iterator>
#include <string>
#include <vector>

#include "driver-template.h"
#include "driver.h"

namespace driver {

namespace {

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

// Template 102, control by control in template order, which is also the
// order of the windows and so the tab order. The style is the control's
// kind: the bits named here must be set, and for buttons and statics the
// kind field must match exactly.
const Control kMainControls[] = {
    {-1, L"Static", SS_LEFT, L"请选择MIDI文件：", {17, 16, 77, 12}},
    {1000, L"Edit", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, L"", {17, 29, 222, 14}},
    {1001, L"Button", BS_PUSHBUTTON, L"浏览(&B)", {187, 13, 52, 14}},
    {-1, L"Button", BS_GROUPBOX, L"信息", {17, 48, 198, 86}},
    {1004, L"Edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL, L"", {24, 57, 184, 70}},
    {1002, L"msctls_progress32", PBS_VERTICAL, L"", {222, 49, 15, 84}},
    {IDOK, L"Button", BS_DEFPUSHBUTTON, L"转换(&C)", {49, 141, 50, 14}},
    {1005, L"Button", BS_PUSHBUTTON, L"播放(&P)", {112, 141, 50, 14}},
    {IDCANCEL, L"Button", BS_PUSHBUTTON, L"退出(&X)", {175, 141, 50, 14}},
    {1006, L"Button", BS_AUTOCHECKBOX, L"自动编排(&A)", {17, 161, 57, 10}},
    {1007, L"Static", SS_LEFT, L"把任何MIDI文件编排到五个声道", {76, 162, 106, 9}},
    {1008, L"Button", BS_AUTOCHECKBOX, L"导出NSF(&N)", {187, 161, 52, 10}},
    {1009, L"Button", BS_AUTOCHECKBOX, L"和弦琶音(&R)", {29, 175, 57, 10}},
    {1010, L"Static", SS_LEFT, L"方波2以快速琶音奏出和弦", {88, 176, 94, 9}},
};

// Tab goes through the layout: path, Browse, Convert, Play, Exit, then the
// options rows below the buttons. 和弦琶音 (1009) is greyed while 自动编排 is
// clear, so at start Tab passes it by (`driver tabs` shows it with 自动编排 ticked).
const int kTabOrder[] = {1000, 1001, IDOK, 1005, IDCANCEL, 1006, 1008};

const int kMainWidth = 257;
const int kMainHeight = 192;

const Control kAboutControls[] = {
    {-1, L"Static", SS_ICON, L"#128", {11, 17, 0, 0}},
    {-1, L"Static", SS_LEFT, L"kelvane 1.0.0.1 版", {40, 10, 0, 0}},
    {-1, L"Static", SS_LEFT, L"MIDI 音乐转换程序", {40, 25, 0, 0}},
    {IDOK, L"Button", BS_DEFPUSHBUTTON, L"确定", {178, 7, 50, 14}},
};

const DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const DWORD kMainStyle = kAboutStyle | WS_VISIBLE | DS_CENTER | WS_MINIMIZEBOX;

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

const Control* FindControl(const Template& t, int id) {
    for (const Control& c : t.controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

// The controls line up: Browse and the last check box end where the path
// field ends, the three buttons stand at equal gaps on one line, and the
// descriptions beside 自动编排 and 和弦琶音 take clicks (SS_NOTIFY) so that
// they tick them. 和弦琶音 hangs under 自动编排, its box under the text of
// 自动编排, and its description ends where the one above it ends.
void CheckAlignment(const Template& t) {
    const Control* path = FindControl(t, 1000);
    const Control* browse = FindControl(t, 1001);
    const Control* nsf = FindControl(t, 1008);
    const Control* convert = FindControl(t, IDOK);
    const Control* play = FindControl(t, 1005);
    const Control* exit = FindControl(t, IDCANCEL);
    const Control* note = FindControl(t, 1007);
    const Control* arrange = FindControl(t, 1006);
    const Control* chords = FindControl(t, 1009);
    const Control* chordsNote = FindControl(t, 1010);
    if (!path || !browse || !nsf || !convert || !play || !exit || !note || !arrange || !chords || !chordsNote) {
        Check(false, "template 102 has every control");
        return;
    }
    const auto right = [](const Control* c) { return c->rect.left + c->rect.right; };
    CheckNumber("Browse ends where the path field ends", right(path), right(browse));
    CheckNumber("导出NSF ends where the path field ends", right(path), right(nsf));
    CheckNumber("the buttons stand at equal gaps", play->rect.left - right(convert), exit->rect.left - right(play));
    Check(convert->rect.top == play->rect.top && play->rect.top == exit->rect.top, "the buttons stand on one line");
    Check((note->style & SS_NOTIFY) != 0, "the text beside 自动编排 takes clicks");
    Check((chordsNote->style & SS_NOTIFY) != 0, "the text beside 和弦琶音 takes clicks");
    Check(chords->rect.top >= arrange->rect.top + arrange->rect.bottom, "和弦琶音 stands below 自动编排");
    CheckNumber("和弦琶音 is indented by one check box", arrange->rect.left + 12, chords->rect.left);
    CheckNumber("the two descriptions end on one line", right(note), right(chordsNote));
    CheckNumber("each description stands as far from its box", note->rect.left - right(arrange),
                chordsNote->rect.left - right(chords));
    CheckNumber("a description's text is a unit below its box's top", note->rect.top - arrange->rect.top,
                chordsNote->rect.top - chords->rect.top);
    Check(chords->rect.top + chords->rect.bottom <= kMainHeight - 4, "和弦琶音 fits in the dialog");
}

// The ids in tab order as the dialog manager walks it, also as text in `text`.
std::vector<int> TabOrderOf(HWND main, std::string& text) {
    std::vector<int> order;
    HWND first = GetNextDlgTabItem(main, nullptr, FALSE);
    for (HWND item = first; item != nullptr && order.size() < 20;) {
        order.push_back(static_cast<short>(GetDlgCtrlID(item)));
        text += (text.empty() ? "" : " ") + std::to_string(order.back());
        item = GetNextDlgTabItem(main, item, FALSE);
        if (item == first) break;
    }
    return order;
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
    const int baseX = BaseUnit(kMainWidth, client.right, 4);
    const int baseY = BaseUnit(kMainHeight, client.bottom, 8);
    Check(baseX != 0 && baseY != 0,
          "client area is " + std::to_string(kMainWidth) + " x " + std::to_string(kMainHeight) + " dialog units",
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
        // The focused push button is the default one while it has the focus.
        const DWORD type = style & BS_TYPEMASK;
        if (e.cls == L"Button" && (e.style == BS_PUSHBUTTON || e.style == BS_DEFPUSHBUTTON) &&
            (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            style = (style & ~static_cast<DWORD>(BS_TYPEMASK)) | e.style;
        }
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


    std::string tabs;
    const std::vector<int> order = TabOrderOf(main, tabs);
    Check(order == std::vector<int>(std::begin(kTabOrder), std::end(kTabOrder)), "tab order follows the layout", tabs);

    // Centred on the work area, to the pixel that an odd difference leaves.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT window;
    GetWindowRect(main, &window);
    const int dx = (window.left + window.right) - (work.left + work.right);
    const int dy = (window.top + window.bottom) - (work.top + work.bottom);
    Check(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1, "the dialog opens centred",
          "window " + RectText(window) + ", work area " + RectText(work));
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
    Check(main.rect.right == kMainWidth && main.rect.bottom == kMainHeight, "template 102 size", RectText(main.rect));
    CheckText("template 102 font", L"宋体", main.face);
    CheckNumber("template 102 font size", 9, main.pointSize);
    CheckNumber("template 102 font charset", GB2312_CHARSET, main.charset);
    CheckTemplateControls("template 102", main, kMainControls, std::size(kMainControls));
    CheckAlignment(main);

    Template about;
    Check(ReadTemplate(module, 100, about), "template 100 in Chinese (0x0804)");
    CheckText("template 100 caption", kAboutCaption, about.caption);
    CheckNumber("template 100 style", kAboutStyle, about.style);
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
    const std::wstring texts = L"转换退出浏览请选择MIDI文件：信息播放关于 kelvane 1.0.0.1 版MIDI 音乐转换程序确定"
                               L"无法打开MIDI文件轨道数太多节拍输出成功失败自动编排把任何编排到五个声道导出NSF"
                               L"无法复制ROM.BIN到设备无法启动模拟器duzer.exe提示: 歌曲名不是合法的汇编标号"
                               L"***错误*** 无法创建歌词文件请先选择未找到PX4设备，用模拟器播放已复制到"
                               L"正在编排，请稍候……转换结束后退出已导出写入报告查找模板的位置放在所在的夹中"
                               L"会覆盖没有“”（）和弦琶音方波2以快速奏出";
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

}  // namespace

int Layout(const std::wstring& exe) {
    HWND main = RequireMainDialog();
    CheckLiveDialog(main);
    CheckResources(exe);
    CheckGlyphs();
    return failures;
}

int Tabs() {
    std::string text;
    TabOrderOf(RequireMainDialog(), text);
    Print("tabs: " + text);
    return 0;
}

}  // namespace driver
