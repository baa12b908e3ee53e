#include "StatusLog.h"

#include "FrontEnd.h"

namespace kelvane {

void StatusLog::Append(const std::string& line, FrontEnd& frontEnd) {
    lines_[next_] = line;
    next_ = (next_ + 1) % kLines;
    frontEnd.ReplaceStatusText(Text(), line);
}

void StatusLog::Reset() {
    next_ = 0;
    for (auto& line : lines_) line = "\n";
}

std::string StatusLog::Text() const {
    std::string text;
    for (std::size_t i = 0; i < kLines; ++i) text += lines_[(next_ + i) % kLines];
    return text;
}

}  // namespace kelvane
