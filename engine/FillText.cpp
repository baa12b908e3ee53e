#include "FillText.h"

namespace kelvane {

std::string Fill(const std::string& text, std::initializer_list<std::string> arguments) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' && text[i + 2] == '}') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < arguments.size()) {
                out += *(arguments.begin() + index);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace kelvane
