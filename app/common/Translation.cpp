#include "Translation.h"

#include <cstring>

namespace kelvane {

// Made by the build from po/zh_CN.po, sorted by msgid.
extern const CatalogueEntry kChineseCatalogue[];
extern const std::size_t kChineseCatalogueSize;

const char* Translate(Language language, const char* msgid) {
    if (language != Language::kChinese) return msgid;
    std::size_t low = 0, high = kChineseCatalogueSize;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const int order = std::strcmp(kChineseCatalogue[middle].msgid, msgid);
        if (order == 0) return kChineseCatalogue[middle].msgstr;
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return msgid;
}

bool IsChineseLocale(const std::string& name) {
    return name.size() >= 2 && (name[0] == 'z' || name[0] == 'Z') && (name[1] == 'h' || name[1] == 'H') &&
           (name.size() == 2 || name[2] == '_' || name[2] == '-' || name[2] == '.' || name[2] == '@');
}

}  // namespace kelvane
