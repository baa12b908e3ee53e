// A buffered text output over a ByteSink: the assembler lines are made here
// without the C library's formatted output, every line ends in CR LF, and a
// failed write is remembered until Close reports it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "FileSystem.h"

namespace kelvane {

class TextOut {
public:
    TextOut();
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;

    void Open(std::unique_ptr<ByteSink> sink);
    bool IsOpen() const { return sink_ != nullptr; }
    // Flushes and closes; false when any write or the close failed.
    bool Close();
    // Closes without caring for the result (a run that is given up).
    void Abandon();

    // The common case, a piece that fits the buffer, is inline: most pieces
    // are literals of a few bytes, and a call per piece cost more than the
    // copy.
    TextOut& Text(const char* text, std::size_t size) {
        if (size > kBufferSize - used_) return TextAfterFlush(text, size);
        std::memcpy(buffer_.get() + used_, text, size);
        used_ += size;
        return *this;
    }
    template <std::size_t N>
    TextOut& Text(const char (&literal)[N]) { return Text(literal, N - 1); }
    TextOut& Text(const std::string& text) { return Text(text.data(), text.size()); }
    // A NUL-terminated text copied byte for byte.
    TextOut& CText(const char* text) { return Text(text, std::strlen(text)); }
    TextOut& Char(char c) {
        if (used_ == kBufferSize) Flush();
        buffer_[used_++] = c;
        return *this;
    }
    TextOut& Decimal(std::int64_t value);
    TextOut& Hex2(unsigned value);  // at least two upper-case digits
    TextOut& EndLine() { return Text("\r\n", 2); }

private:
    static constexpr std::size_t kBufferSize = 1 << 16;
    void Flush();
    TextOut& TextAfterFlush(const char* text, std::size_t size);

    std::unique_ptr<ByteSink> sink_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace kelvane
