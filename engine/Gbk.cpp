#include "Gbk.h"

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace kelvane {
namespace {

// The length of the well-formed UTF-8 sequence at `i`, 0 when it is not one.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    std::size_t length;
    unsigned min;
    unsigned value;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; min = 0x80; value = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; min = 0x800; value = lead & 0x0F; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; min = 0x10000; value = lead & 0x07; }
    else return 0;
    if (s.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

#ifdef _WIN32

// One character (a well-formed UTF-8 sequence) in GBK, or "" when GBK lacks it.
std::string CharToGbk(const char* utf8, int length) {
    wchar_t wide[2];
    int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, wide, 2);
    if (wideLength <= 0) return {};
    char gbk[8];
    BOOL usedDefault = FALSE;
    // Without WC_NO_BEST_FIT_CHARS Windows writes a look-alike ('A' for 'Ä')
    // where iconv on Linux fails, and the two builds would name labels apart.
    int gbkLength = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide, wideLength, gbk, sizeof gbk,
                                        nullptr, &usedDefault);
    if (gbkLength <= 0 || usedDefault) return {};
    return std::string(gbk, static_cast<std::size_t>(gbkLength));
}

#else

class GbkConverter {
public:
    GbkConverter() : handle_(iconv_open("GBK", "UTF-8")) {}
    ~GbkConverter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1)) iconv_close(handle_);
    }
    std::string Char(const char* utf8, std::size_t length) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) return {};
        char out[8];
        char* in = const_cast<char*>(utf8);
        char* outPointer = out;
        std::size_t inLeft = length;
        std::size_t outLeft = sizeof out;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle_, &in, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0)
            return {};
        return std::string(out, sizeof out - outLeft);
    }

private:
    iconv_t handle_;
};

#endif

}  // namespace

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0, length; i < text.size(); i += length)
        if ((length = Utf8Length(text, i)) == 0) return false;
    return true;
}

std::string Utf8ToGbk(const std::string& utf8) {
    if (IsAscii(utf8)) return utf8;
#ifndef _WIN32
    GbkConverter converter;
#endif
    std::string gbk;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t length = Utf8Length(utf8, i);
        if (length == 0) {
            gbk += '?';
            ++i;
            continue;
        }
        if (length == 1) {
            gbk += utf8[i++];
            continue;
        }
#ifdef _WIN32
        std::string one = CharToGbk(utf8.data() + i, static_cast<int>(length));
#else
        std::string one = converter.Char(utf8.data() + i, length);
#endif
        gbk += one.empty() ? std::string("?") : one;
        i += length;
    }
    return gbk;
}

}  // namespace kelvane
