// The texts a user reads in their own language: the command line's help, its
// messages and the report table. Translations live in gettext catalogues
// (po/*.po, edited by translators) that the build turns into tables inside
// the program, so no runtime library or file is needed to find them.
//
// The program's own texts (the msgids) are English. Status lines and message
// boxes that must read the same everywhere are Chinese in the code and never
// pass through here.
#pragma once

#include <cstddef>
#include <string>

#include "FillText.h"

namespace kelvane {

enum class Language { kEnglish, kChinese };

struct CatalogueEntry {
    const char* msgid;
    const char* msgstr;
};

// `msgid` in `language`; the msgid itself in English, or when the catalogue
// has no translation for it.
const char* Translate(Language language, const char* msgid);
// The same for Chinese, as a translator: the dialog reads nothing else.
inline const char* InChinese(const char* msgid) { return Translate(Language::kChinese, msgid); }

// Whether a locale name ("zh_CN.UTF-8", "en_US", "C") or a Windows language
// tag ("zh-CN") is Chinese.
bool IsChineseLocale(const std::string& name);

}  // namespace kelvane
