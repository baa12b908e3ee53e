// The language the command line speaks: Chinese for a user whose locale is
// Chinese, English otherwise.
#pragma once

#include <string>

#include "Translation.h"

namespace kelvane::cli {

// The locale's language as gettext would choose it: the first of LC_ALL,
// LC_MESSAGES and LANG that is set; when that is not the "C" locale, the
// first entry of LANGUAGE may choose another. On Windows, without any of
// these, the user's interface language. Decided once per process.
Language UserLanguage();

// The same decision from given values, for the tests; `uiLanguage` stands
// for the Windows interface language ("" where there is none).
Language LanguageOf(const std::string& lcAll, const std::string& lcMessages, const std::string& lang,
                    const std::string& language, const std::string& uiLanguage);

// `msgid` in the user's language.
inline const char* Tr(const char* msgid) { return Translate(UserLanguage(), msgid); }

}  // namespace kelvane::cli
