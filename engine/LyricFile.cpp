#include "LyricFile.h"

#include <cstring>

namespace kelvane {
namespace {

constexpr std::uint32_t kGapStep = 127;  // one gap byte holds 1 to 127 units

// Length of the text as written: spaces after a closing '!', '.' or '?' go;
// the first character is never looked at.
std::size_t TrimmedLength(const char* text) {
    std::size_t length = std::strlen(text);
    std::size_t i = length;
    while (i > 1 && text[i - 1] == ' ') --i;
    if (i <= 1) return length;
    char last = text[i - 1];
    return last == '!' || last == '.' || last == '?' ? i : length;
}

}  // namespace

void WriteLyricFile(const LyricList& lyrics, const std::string& songNameGbk, TextOut& out) {
    out.Char(';').Text(std::string(59, '.')).EndLine();
    out.Text(songNameGbk).Text("_Lyric:").EndLine();
    for (std::uint32_t i = 0; i < lyrics.count; ++i) {
        std::uint32_t gap = lyrics.gaps[i];
        // A lyric in the same unit as the one before has no gap to stand on.
        if (gap == 0) continue;
        out.Text("\t\tdb\t\t");
        std::uint32_t fullSteps = (gap - 1) / kGapStep;
        for (std::uint32_t k = 0; k < fullSteps; ++k) out.Text("127,");
        out.Decimal(gap - kGapStep * fullSteps).Char(',');
        out.Char('"').Text(lyrics.texts[i], TrimmedLength(lyrics.texts[i])).Char('"').EndLine();
    }
    out.Text("\t\tdb\t\t127").EndLine();
    out.Text("\t\tdb\t\t0").EndLine();
}

}  // namespace kelvane
