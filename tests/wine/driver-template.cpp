// Reads dialog templates and Chinese resources out of the program's file.
#include "driver-template.h"

namespace driver {

namespace {

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

}  // namespace

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

}  // namespace driver
