// The lyric table: one record per lyric with its gap in time units, written
// as assembler data beside the .asm file.
#include <cstring>
#include <ostream>

#include "ConversionState.h"
#include "Messages.h"

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

void ConversionState::WriteLyricFile() {
    if (!hasLyrics) return;
    std::unique_ptr<ByteSink> sink = files.Create(lrcPath);
    if (!sink) {
        console << msg::kCannotCreateLyrics << std::flush;
        return;
    }
    TextOut out;
    out.Open(std::move(sink));
    out.Char(';').Text(std::string(59, '.')).EndLine();
    out.Text(songNameGbk).Text("_Lyric:").EndLine();
    for (std::uint32_t i = 0; i < lyricCount; ++i) {
        std::uint32_t gap = lyricGaps[i];
        if (gap == 0) continue;
        out.Text("\t\tdb\t\t");
        std::uint32_t fullSteps = (gap - 1) / kGapStep;
        for (std::uint32_t k = 0; k < fullSteps; ++k) out.Text("127,");
        out.Decimal(gap - kGapStep * fullSteps).Char(',');
        out.Char('"').Text(lyricTexts[i], TrimmedLength(lyricTexts[i])).Char('"').EndLine();
    }
    out.Text("\t\tdb\t\t127").EndLine();
    out.Text("\t\tdb\t\t0").EndLine();
    if (!out.Close()) console << msg::kCannotCreateLyrics << std::flush;
}

}  // namespace kelvane
