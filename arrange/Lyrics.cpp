#include "Lyrics.h"

#include <algorithm>
#include <map>

namespace kelvane::arrange {
namespace {

constexpr std::size_t kTextLimit = 255;      // the engine keeps this much of a text

// A .kar file keeps its words as text events on one track, with '@' lines
// for the title and such, '\' before a paragraph and '/' before a line.
std::vector<const TimedText*> KaraokeWords(const Score& score) {
    std::map<int, std::pair<int, int>> tracks;  // track: '@' lines, words
    for (const TimedText& text : score.texts) {
        bool tag = text.length > 0 && score.textPool[text.offset] == '@';
        auto& counts = tracks[text.track];
        (tag ? counts.first : counts.second)++;
    }
    int chosen = -1, most = 0;
    for (const auto& entry : tracks)
        if (entry.second.first > 0 && entry.second.second > most) chosen = entry.first, most = entry.second.second;
    std::vector<const TimedText*> words;
    for (const TimedText& text : score.texts)
        if (text.track == chosen && !(text.length > 0 && score.textPool[text.offset] == '@'))
            words.push_back(&text);
    return words;
}

// The length of a text cut to the limit without splitting a double-byte character.
std::uint32_t Limited(const char* text, std::uint32_t length) {
    if (length <= kTextLimit) return length;
    std::uint32_t at = 0;
    while (at < length) {
        std::uint32_t width = static_cast<unsigned char>(text[at]) >= 0x81 ? 2 : 1;
        if (at + width > kTextLimit) break;
        at += width;
    }
    return at;
}

}  // namespace

std::vector<LyricLine> ArrangeLyrics(const Score& score, std::string& pool) {
    std::vector<const TimedText*> source;
    bool karaoke = score.lyrics.empty();
    if (karaoke) {
        source = KaraokeWords(score);
    } else {
        source.reserve(score.lyrics.size());
        for (const TimedText& text : score.lyrics) source.push_back(&text);
    }
    std::stable_sort(source.begin(), source.end(),
                     [](const TimedText* a, const TimedText* b) { return a->unit < b->unit; });

    std::vector<LyricLine> lines;
    pool.clear();
    for (const TimedText* text : source) {
        const char* words = score.textPool.data() + text->offset;
        std::uint32_t length = text->length;
        if (karaoke && length > 0 && (words[0] == '/' || words[0] == '\\')) ++words, --length;
        std::uint32_t unit = std::max<std::uint32_t>(text->unit, 1);
        if (lines.empty() || lines.back().unit != unit)
            lines.push_back({unit, static_cast<std::uint32_t>(pool.size()), 0});
        for (std::uint32_t i = 0; i < length; ++i) {
            char c = words[i];
            if (c == '\0') continue;
            pool += c == '"' ? '\'' : (c == '\r' || c == '\n') ? ' ' : c;
        }
        lines.back().length = static_cast<std::uint32_t>(pool.size()) - lines.back().offset;
    }
    for (LyricLine& line : lines) line.length = Limited(pool.data() + line.offset, line.length);
    return lines;
}

void LimitLyricCount(std::vector<LyricLine>& lyrics, std::vector<std::string>& warnings) {
    if (lyrics.size() <= kLyricCapacity) return;
    warnings.push_back("歌词超过" + std::to_string(kLyricCapacity) + "条, 后面的" +
                       std::to_string(lyrics.size() - kLyricCapacity) + "条没有写入");
    lyrics.resize(kLyricCapacity);
}

}  // namespace kelvane::arrange
