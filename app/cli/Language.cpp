#include "Language.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelvane::cli {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The Windows interface language as a tag that IsChineseLocale reads.
std::string InterfaceLanguage() {
#ifdef _WIN32
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? "zh" : "en";
#else
    return "";
#endif
}

}  // namespace

Language LanguageOf(const std::string& lcAll, const std::string& lcMessages, const std::string& lang,
                    const std::string& language, const std::string& uiLanguage) {
    const std::string& locale = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
    if (locale.empty()) return IsChineseLocale(uiLanguage) ? Language::kChinese : Language::kEnglish;
    if (locale == "C" || locale == "POSIX" || locale.compare(0, 2, "C.") == 0) return Language::kEnglish;
    const std::string first = language.substr(0, language.find(':'));
    return IsChineseLocale(first.empty() ? locale : first) ? Language::kChinese : Language::kEnglish;
}

Language UserLanguage() {
    static const Language language = LanguageOf(Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG"),
                                                 Variable("LANGUAGE"), InterfaceLanguage());
    return language;
}

}  // namespace kelvane::cli
