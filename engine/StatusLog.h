// The six status lines, kept in a ring and shown oldest first.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace kelvane {

class FrontEnd;

class StatusLog {
public:
    static constexpr std::size_t kLines = 6;

    // Stores the line over the oldest one and shows the six lines joined.
    void Append(const std::string& line, FrontEnd& frontEnd);
    // Empties the lines without redrawing; the next Append shows the result.
    void Reset();
    std::string Text() const;

private:
    std::array<std::string, kLines> lines_;
    std::size_t next_ = 0;
};

}  // namespace kelvane
