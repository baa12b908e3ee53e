#include "TextOut.h"

#include <cstring>

namespace kelvane {

TextOut::TextOut() : buffer_(new char[kBufferSize]) {}

void TextOut::Open(std::unique_ptr<ByteSink> sink) {
    sink_ = std::move(sink);
    used_ = 0;
    failed_ = false;
}

void TextOut::Flush() {
    if (used_ == 0) return;
    if (sink_ && !failed_ && !sink_->Write(buffer_.get(), used_)) failed_ = true;
    used_ = 0;
}

bool TextOut::Close() {
    if (!sink_) return true;
    Flush();
    bool closed = sink_->Close();
    sink_.reset();
    return closed && !failed_;
}

// Dropping the sink unclosed leaves a replaced file as it was.
void TextOut::Abandon() {
    used_ = 0;
    sink_.reset();
}

// A piece larger than the whole buffer goes straight to the sink.
TextOut& TextOut::TextAfterFlush(const char* text, std::size_t size) {
    Flush();
    if (size > kBufferSize) {
        if (sink_ && !failed_ && !sink_->Write(text, size)) failed_ = true;
        return *this;
    }
    std::memcpy(buffer_.get() + used_, text, size);
    used_ += size;
    return *this;
}

TextOut& TextOut::Decimal(std::int64_t value) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--p = '-';
    return Text(p, static_cast<std::size_t>(end - p));
}

TextOut& TextOut::Hex2(unsigned value) {
    static const char kDigits[] = "0123456789ABCDEF";
    char digits[8];
    char* end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (end - p < 2) *--p = '0';
    return Text(p, static_cast<std::size_t>(end - p));
}

}  // namespace kelvane
