// A cursor over one track chunk's data that knows its end: every read checks
// and returns false when the bytes it needs are not there; nothing moves then.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvane {

struct TrackCursor {
    static constexpr std::uint32_t kTextLimit = 255;  // meta-event texts keep at most this much

    const std::uint8_t* data = nullptr;
    std::size_t position = 0;  // the next unread byte
    std::size_t end = 0;       // past the chunk's last byte in the data
    char scratch[512] = {};    // the last text read

    bool Remains(std::uint32_t n) const { return end - position >= n; }

    bool ReadByte(std::uint8_t& value) {
        if (position >= end) return false;
        value = data[position++];
        return true;
    }

    bool PeekByte(std::size_t at, std::uint8_t& value) const {
        if (at >= end) return false;
        value = data[at];
        return true;
    }

    // The value keeps its low 32 bits however many bytes the quantity has.
    bool ReadVarLen(std::uint32_t& value) {
        std::size_t cursor = position;
        std::uint32_t result = 0;
        std::uint8_t byte;
        do {
            if (cursor >= end) return false;
            byte = data[cursor++];
            result = (result << 7) + (byte & 0x7Fu);
        } while (byte & 0x80);
        position = cursor;
        value = result;
        return true;
    }

    // Keeps the first kTextLimit bytes of an n-byte text in `scratch`, line
    // ends turned into spaces; the cursor moves on by n.
    bool ReadText(std::uint32_t n);

    bool Skip(std::uint32_t n) {
        if (!Remains(n)) return false;
        position += n;
        return true;
    }
};

}  // namespace kelvane
