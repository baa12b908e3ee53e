#include "Lyrics.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "Gbk.h"

namespace kelvane::arrange {
namespace {

constexpr std::size_t kTextLimit = 255;  // the engine keeps this much of a text
constexpr int kKaraokeWordMarks = 4;     // '/' and '\' texts that make a track a .kar words track
constexpr double kMatchNeeded = 0.3;     // share of syllables on a part's onsets that ties them to it


// A .kar file keeps its words as text events on one track, with '@' lines
// for the title and such (on that track, another, or track 1), '\' before a
// paragraph and '/' before a line. The words are the track with the most
// texts that are not '@' lines.
std::vector<const TimedText*> KaraokeWords(const Score& score, int& track) {
    std::map<int, int> words;
    bool karaoke = false;
    for (const TimedText& text : score.texts) {
        if (IsTag(score, text)) {
            karaoke = true;
            continue;
        }
        ++words[text.track];
    }
    int marks = 0;
    for (const TimedText& text : score.texts) marks += IsLineMark(score, text) ? 1 : 0;
    if (!karaoke && marks < kKaraokeWordMarks) return {};
    track = -1;
    int most = 0;
    for (const auto& entry : words)
        if (entry.second > most) track = entry.first, most = entry.second;
    std::vector<const TimedText*> chosen;
    for (const TimedText& text : score.texts)
        if (text.track == track && !IsTag(score, text)) chosen.push_back(&text);
    return chosen;
}

// The part whose note onsets the syllables meet most often, within a unit;
// on a tie, a part of the words' own track. One walk through the notes in
// order of their start beside the syllables in order of their unit.
int PartOf(const Score& score, const std::vector<std::uint32_t>& order, const LyricSource& source,
           std::vector<std::uint32_t>& counts, std::vector<std::size_t>& stamps) {
    std::fill(counts.begin(), counts.end(), 0);
    std::fill(stamps.begin(), stamps.end(), SIZE_MAX);
    std::size_t first = 0;
    for (std::size_t i = 0; i < source.texts.size(); ++i) {
        const std::uint32_t unit = source.texts[i]->unit, from = unit > 0 ? unit - 1 : 0;
        while (first < order.size() && score.notes[order[first]].start < from) ++first;
        for (std::size_t k = first; k < order.size() && score.notes[order[k]].start <= unit + 1; ++k) {
            const Note& note = score.notes[order[k]];
            if (note.end <= note.start || score.parts[note.part].drums || stamps[note.part] == i) continue;
            stamps[note.part] = i;
            ++counts[note.part];
        }
    }
    int best = -1;
    std::uint32_t most = 0;
    bool own = false;
    for (std::size_t p = 0; p < score.parts.size(); ++p) {
        bool ownTrack = score.parts[p].track == source.track;
        if (counts[p] > most || (counts[p] == most && most > 0 && ownTrack && !own))
            best = static_cast<int>(p), most = counts[p], own = ownTrack;
    }
    const auto needed = static_cast<std::uint32_t>(kMatchNeeded * double(source.texts.size()));
    return best >= 0 && (own || most >= std::max<std::uint32_t>(needed, 1)) ? best : -1;
}

enum class Encoding { kAscii, kUtf8, kGbk, kWindows1252 };

// GBK as Chinese text has it: every byte above 127 leads a pair, and most
// pairs lie in the common range with both bytes above 127. A European word
// in Windows-1252 can form a pair too ("ü" and the next letter), but with
// an ASCII second byte.
bool LooksGbk(const std::string& text) {
    std::size_t pairs = 0, asciiTrails = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) continue;
        if (lead == 0x80 || lead == 0xFF || i + 1 >= text.size()) return false;
        auto trail = static_cast<unsigned char>(text[++i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
        ++pairs;
        if (trail < 0x80) ++asciiTrails;
    }
    return asciiTrails * 4 <= pairs;
}

Encoding Detect(const std::string& text) {
    if (IsAscii(text)) return Encoding::kAscii;
    if (IsValidUtf8(text)) return Encoding::kUtf8;
    return LooksGbk(text) ? Encoding::kGbk : Encoding::kWindows1252;
}

// Windows-1252 as UTF-8; its five unassigned bytes become '?'.
std::string Windows1252ToUtf8(const std::string& text) {
    static const std::uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string utf8;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        unsigned code = byte < 0x80 ? byte : byte < 0xA0 ? kHigh[byte - 0x80] : byte;
        if (code == 0) {
            utf8 += '?';
        } else if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | code >> 12);
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

std::string ToGbk(const std::string& text, Encoding encoding, std::uint32_t& unknown) {
    if (encoding == Encoding::kAscii || encoding == Encoding::kGbk) return text;
    std::string utf8 = encoding == Encoding::kUtf8 ? text : Windows1252ToUtf8(text);
    std::string gbk = Utf8ToGbk(utf8);
    auto marks = [](const std::string& s) { return std::count(s.begin(), s.end(), '?'); };
    unknown += static_cast<std::uint32_t>(marks(gbk) - std::count(text.begin(), text.end(), '?'));
    return gbk;
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

std::vector<LyricSource> FindLyricSources(const Score& score, const std::vector<std::uint32_t>& order) {
    std::vector<LyricSource> sources;
    if (!score.lyrics.empty()) {
        std::map<int, LyricSource> byTrack;
        for (const TimedText& text : score.lyrics) {
            LyricSource& source = byTrack[text.track];
            source.track = text.track;
            source.texts.push_back(&text);
        }
        for (auto& entry : byTrack) sources.push_back(std::move(entry.second));
    } else {
        LyricSource source;
        source.karaoke = true;
        source.texts = KaraokeWords(score, source.track);
        if (!source.texts.empty()) sources.push_back(std::move(source));
    }
    std::vector<std::uint32_t> counts(score.parts.size());
    std::vector<std::size_t> stamps(score.parts.size());
    for (LyricSource& source : sources) {
        std::stable_sort(source.texts.begin(), source.texts.end(),
                         [](const TimedText* a, const TimedText* b) { return a->unit < b->unit; });
        source.part = PartOf(score, order, source, counts, stamps);
    }
    return sources;
}

LyricOutcome ArrangeLyrics(const Score& score, const std::vector<LyricSource>& sources,
                           const std::vector<bool>& melodyParts, std::string& pool) {
    LyricOutcome outcome;
    pool.clear();
    const LyricSource* chosen = nullptr;
    for (const LyricSource& source : sources)
        if (source.part >= 0 && melodyParts[static_cast<std::size_t>(source.part)]) {
            chosen = &source;
            break;
        }
    if (!chosen)
        for (const LyricSource& source : sources)
            if (!chosen || source.texts.size() > chosen->texts.size()) chosen = &source;
    if (!chosen) return outcome;
    for (const LyricSource& source : sources) {
        if (&source == chosen) continue;
        ++outcome.droppedSources;
        outcome.droppedSyllables += static_cast<std::uint32_t>(source.texts.size());
    }

    std::string all;
    for (const TimedText* text : chosen->texts) all.append(score.textPool, text->offset, text->length);
    const Encoding encoding = Detect(all);
    std::vector<LyricLine>& lines = outcome.lines;
    std::string words;
    for (const TimedText* text : chosen->texts) {
        words.assign(score.textPool, text->offset, text->length);
        if (chosen->karaoke && !words.empty() && (words[0] == '/' || words[0] == '\\')) words.erase(0, 1);
        words = ToGbk(words, encoding, outcome.unknownCharacters);
        std::uint32_t unit = std::max<std::uint32_t>(text->unit, 1);
        if (lines.empty() || lines.back().unit != unit)
            lines.push_back({unit, static_cast<std::uint32_t>(pool.size()), 0});
        for (char c : words) {
            if (c == '\0') continue;
            pool += c == '"' ? '\'' : (c == '\r' || c == '\n') ? ' ' : c;
        }
        lines.back().length = static_cast<std::uint32_t>(pool.size()) - lines.back().offset;
    }
    for (LyricLine& line : lines) line.length = Limited(pool.data() + line.offset, line.length);
    return outcome;
}

void ReportLyrics(const LyricOutcome& outcome, std::vector<std::string>& warnings) {
    if (outcome.droppedSources > 0)
        warnings.push_back("歌词只取一个声部的: 另外" + std::to_string(outcome.droppedSources) + "个声部的" +
                           std::to_string(outcome.droppedSyllables) + "个音节没有写入");
    if (outcome.unknownCharacters > 0)
        warnings.push_back("歌词中有" + std::to_string(outcome.unknownCharacters) + "个字符GBK没有, 写成了?");
}

std::string LyricTextToGbk(const std::string& text, std::uint32_t& unknown) {
    return ToGbk(text, Detect(text), unknown);
}

void LimitLyricCount(std::vector<LyricLine>& lyrics, std::vector<std::string>& warnings) {
    if (lyrics.size() <= kLyricCapacity) return;
    warnings.push_back("歌词超过" + std::to_string(kLyricCapacity) + "条, 后面的" +
                       std::to_string(lyrics.size() - kLyricCapacity) + "条没有写入");
    lyrics.resize(kLyricCapacity);
}

bool IsTag(const Score& score, const TimedText& text) {
    return text.length > 0 && score.textPool[text.offset] == '@';
}

bool IsLineMark(const Score& score, const TimedText& text) {
    return text.length > 0 && (score.textPool[text.offset] == '/' || score.textPool[text.offset] == '\\');
}

std::vector<std::uint32_t> LyricUnits(const std::vector<LyricLine>& lyrics) {
    std::vector<std::uint32_t> units;
    units.reserve(lyrics.size());
    for (const LyricLine& lyric : lyrics) units.push_back(lyric.unit);
    return units;
}

}  // namespace kelvane::arrange
