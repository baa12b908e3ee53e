// The Wine test driver's reading of the program's resources: dialog
// templates as the resource script made them, and resources in Chinese.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

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

// A resource of `module` in Chinese (0x0804) only: one in another language
// does not count. Empty when there is none.
std::vector<BYTE> ChineseResource(HMODULE module, const wchar_t* type, const wchar_t* name);

// Dialog template `id` of `module`, in Chinese; false when it is missing or
// malformed.
bool ReadTemplate(HMODULE module, int id, Template& t);

}  // namespace driver
