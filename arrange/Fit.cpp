#include "Fit.h"

#include <algorithm>

#include "Drums.h"
#include "SongCost.h"

namespace kelvane::arrange {
namespace {

std::size_t Measure(const std::array<VoiceLine, kVoiceCount>& lines, const std::vector<LyricLine>& lyrics) {
    std::vector<std::uint32_t> units = LyricUnits(lyrics);
    return SongCost(lines, units).Total();
}

void DropVoice(VoiceLine& line, VoiceArrangement& report) {
    report.droppedFit += static_cast<std::uint32_t>(line.notes.size());
    line.notes.clear();
}

// The second, fourth, ... hi-hat hit of the Noise line.
std::uint32_t ThinHiHats(VoiceLine& line) {
    std::uint32_t hats = 0, dropped = 0;
    std::vector<VoiceNote> kept;
    kept.reserve(line.notes.size());
    for (const VoiceNote& hit : line.notes) {
        if (IsHiHat(hit.drum) && hats++ % 2 == 1) {
            ++dropped;
            continue;
        }
        kept.push_back(hit);
    }
    line.notes.swap(kept);
    return dropped;
}

std::uint32_t SongEnd(const std::array<VoiceLine, kVoiceCount>& lines) {
    std::uint32_t end = 0;
    for (const VoiceLine& line : lines)
        if (!line.notes.empty()) end = std::max(end, line.notes.back().end);
    return end;
}

// Ends every line at `cut`.
void Cut(std::array<VoiceLine, kVoiceCount>& lines, std::vector<LyricLine>& lyrics, std::uint32_t cut,
         ArrangementReport& report) {
    for (int v = 0; v < kVoiceCount; ++v) {
        std::vector<VoiceNote>& notes = lines[static_cast<std::size_t>(v)].notes;
        auto first = std::lower_bound(notes.begin(), notes.end(), cut,
                                      [](const VoiceNote& note, std::uint32_t unit) { return note.start < unit; });
        report.voices[static_cast<std::size_t>(v)].droppedFit += static_cast<std::uint32_t>(notes.end() - first);
        notes.erase(first, notes.end());
        lines[static_cast<std::size_t>(v)].restUntil = 0;
        if (!notes.empty()) {
            notes.back().end = std::min(notes.back().end, cut);
            notes.back().restAfter = false;
        }
    }
    lyrics.erase(std::lower_bound(lyrics.begin(), lyrics.end(), cut,
                                  [](const LyricLine& lyric, std::uint32_t unit) { return lyric.unit < unit; }),
                 lyrics.end());
}

// Gives up rests, the shortest first, until the song takes `capacity` bytes
// or no rest is left; a note whose rest goes sounds on until the next note.
// Each rest's bytes are its own: its note, its volumes and the waits it
// adds to the note before it.
std::uint32_t DropRests(std::array<VoiceLine, kVoiceCount>& lines, std::size_t used, std::size_t capacity) {
    struct Rest {
        std::uint32_t length;
        int voice;
        std::size_t note;
        std::size_t bytes;
    };
    std::vector<Rest> rests;
    for (int v = kSquare1; v <= kTriangle; ++v) {
        const std::vector<VoiceNote>& notes = lines[static_cast<std::size_t>(v)].notes;
        for (std::size_t i = 0; i + 1 < notes.size(); ++i) {
            if (!notes[i].restAfter) continue;
            VoiceNote folded = notes[i];
            folded.restAfter = false;
            std::size_t saved = SongCost::NoteAndRestBytes(v, notes[i], notes[i + 1]) -
                                SongCost::NoteAndRestBytes(v, folded, notes[i + 1]);
            rests.push_back({notes[i + 1].start - notes[i].end, v, i, saved});
        }
    }
    std::stable_sort(rests.begin(), rests.end(), [](const Rest& a, const Rest& b) { return a.length < b.length; });
    std::uint32_t dropped = 0;
    for (const Rest& rest : rests) {
        if (used <= capacity) break;
        lines[static_cast<std::size_t>(rest.voice)].notes[rest.note].restAfter = false;
        used -= rest.bytes;
        ++dropped;
    }
    return dropped;
}

// The lines and lyrics moved from `fine` grid units onto `coarse` ones. A
// note that shrinks to nothing, or a hit that meets the one before, is given
// up and counted in `dropped`; false when two lyrics would meet.
bool Regrid(std::array<VoiceLine, kVoiceCount>& lines, std::vector<LyricLine>& lyrics, const Grid& fine,
            const Grid& coarse, std::array<std::uint32_t, kVoiceCount>& dropped) {
    const GridMap fineMap(fine), coarseMap(coarse);
    auto move = [&](std::uint32_t unit) {
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(coarseMap.Nearest(double(fineMap.FrameOf(unit)) * kFrameMicros), kMaxUnits));
    };
    for (LyricLine& lyric : lyrics) lyric.unit = std::max<std::uint32_t>(move(lyric.unit), 1);
    for (std::size_t i = 1; i < lyrics.size(); ++i)
        if (lyrics[i].unit <= lyrics[i - 1].unit) return false;
    for (int v = 0; v < kVoiceCount; ++v) {
        std::vector<VoiceNote>& notes = lines[static_cast<std::size_t>(v)].notes;
        const bool percussion = !IsTonal(v);
        std::vector<VoiceNote> kept;
        kept.reserve(notes.size());
        for (std::size_t i = 0; i < notes.size(); ++i) {
            VoiceNote note = notes[i];
            note.start = move(note.start);
            note.end = move(note.end);
            if (percussion) note.end = std::max(note.end, note.start + 1);
            if (note.end <= note.start || (!kept.empty() && kept.back().end > note.start)) {
                if (percussion && !kept.empty() && kept.back().start < note.start) {
                    kept.back().end = note.start;  // a hit sounds until the next one
                } else {
                    ++dropped[static_cast<std::size_t>(v)];
                    continue;
                }
            }
            if (!kept.empty()) kept.back().restAfter = kept.back().restAfter && kept.back().end < note.start;
            kept.push_back(note);
        }
        if (!kept.empty()) kept.back().restAfter = false;
        notes.swap(kept);
        VoiceLine& line = lines[static_cast<std::size_t>(v)];
        line.restUntil = line.restUntil > 0 ? move(line.restUntil) : 0;
    }
    return true;
}

// Bytes the lines take on any grid at least: every note and hit, its volume
// and one wait of a hit, and the ends; the waits a long note adds are what
// a coarser grid can save.
std::size_t LeastBytes(const std::array<VoiceLine, kVoiceCount>& lines) {
    std::size_t bytes = kSongHeader;
    for (int v = 0; v < kVoiceCount; ++v) {
        const std::vector<VoiceNote>& notes = lines[static_cast<std::size_t>(v)].notes;
        bytes += IsTonal(v) ? 4 : 1;  // the program and closing pair, or the end
        for (std::size_t i = 0; i < notes.size(); ++i) {
            bytes += 2 + (notes[i].volume != kNoVolume ? 1 : 0);
            if (notes[i].restAfter && i + 1 < notes.size()) bytes += SongCost::RestBytes(0, notes[i + 1]);
        }
    }
    return bytes;
}

std::string Milliseconds(double micros) {
    auto tenths = static_cast<long long>(micros / 100 + 0.5);
    return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "");
}

}  // namespace

std::uint32_t CountRests(const VoiceLine& line) {
    std::uint32_t rests = 0;
    for (std::size_t i = 0; i + 1 < line.notes.size(); ++i) rests += line.notes[i].restAfter ? 1 : 0;
    return rests;
}

std::uint32_t CountRests(const std::array<VoiceLine, kVoiceCount>& lines) {
    std::uint32_t rests = 0;
    for (int v = kSquare1; v <= kTriangle; ++v) rests += CountRests(lines[static_cast<std::size_t>(v)]);
    return rests;
}

FitOutcome FitSong(std::array<VoiceLine, kVoiceCount>& lines, std::vector<LyricLine>& lyrics, const Score& score,
                   Timing& timing, std::size_t capacity, ArrangementReport& report) {
    FitOutcome outcome;
    const std::string prefix = "为放入歌曲空间, ";
    std::size_t used = Measure(lines, lyrics);
    const std::uint32_t rests = CountRests(lines);
    if (used > capacity && rests > 0) {
        std::uint32_t dropped = DropRests(lines, used, capacity);
        report.warnings.push_back(prefix + "去掉了" + std::to_string(dropped) + "处休止, 保留最长的" +
                                  std::to_string(rests - dropped) + "处");
        used = Measure(lines, lyrics);
    }
    if (used > capacity && timing.UnitGrid() != timing.CoarsestGrid() && LeastBytes(lines) <= capacity) {
        // A finer grid costs wait bytes: the coarsest one, if that is enough.
        auto coarseLines = lines;
        auto coarseLyrics = lyrics;
        std::array<std::uint32_t, kVoiceCount> dropped{};
        const Grid fine = timing.UnitGrid(), coarse = timing.CoarsestGrid();
        if (Regrid(coarseLines, coarseLyrics, fine, coarse, dropped) &&
            Measure(coarseLines, coarseLyrics) <= capacity) {
            lines.swap(coarseLines);
            lyrics.swap(coarseLyrics);
            timing.UseGrid(coarse);
            std::uint32_t lost = 0;
            for (int v = 0; v < kVoiceCount; ++v) {
                report.voices[static_cast<std::size_t>(v)].droppedFit += dropped[static_cast<std::size_t>(v)];
                lost += dropped[static_cast<std::size_t>(v)];
            }
            report.warnings.push_back(prefix + "时间单位从" + Milliseconds(fine.UnitMicros()) + "毫秒放宽到" +
                                      Milliseconds(coarse.UnitMicros()) + "毫秒" +
                                      (lost > 0 ? " (" + std::to_string(lost) + "音)" : ""));
            used = Measure(lines, lyrics);
        }
    }
    if (used > capacity && !lines[kSquare2].notes.empty()) {
        std::size_t count = lines[kSquare2].notes.size();
        DropVoice(lines[kSquare2], report.voices[kSquare2]);
        report.warnings.push_back(prefix + "去掉了方波2 (" + std::to_string(count) + "音)");
        used = Measure(lines, lyrics);
    }
    if (used > capacity && !lines[kDpcm].notes.empty()) {
        std::size_t count = lines[kDpcm].notes.size();
        DropVoice(lines[kDpcm], report.voices[kDpcm]);
        report.warnings.push_back(prefix + "去掉了DPCM (" + std::to_string(count) + "击)");
        used = Measure(lines, lyrics);
    }
    if (used > capacity) {
        std::uint32_t thinned = ThinHiHats(lines[kNoise]);
        if (thinned > 0) {
            report.voices[kNoise].droppedFit += thinned;
            report.warnings.push_back(prefix + "噪声隔一个去掉踩镲 (" + std::to_string(thinned) + "击)");
            used = Measure(lines, lyrics);
        }
    }
    if (used > capacity) {
        // The last resort: the last bar whose end still fits.
        std::vector<std::uint32_t> lyricUnits = LyricUnits(lyrics);
        SongCost cost(lines, lyricUnits);
        std::vector<std::uint32_t> bars = timing.BarStarts(score, SongEnd(lines));
        const std::size_t totalBars = bars.size() - 1;
        std::size_t low = 0, high = bars.size() - 1;  // bars[low] fits, bars[high] does not
        if (cost.Total(bars[high]) <= capacity) high = bars.size();
        while (high - low > 1) {
            std::size_t middle = low + (high - low) / 2;
            (cost.Total(bars[middle]) <= capacity ? low : high) = middle;
        }
        std::uint32_t cut = bars[low];
        if (low == 0) {
            // Not even one bar fits (an absurd meter): the last unit that does.
            std::uint32_t fits = 0, over = bars.size() > 1 ? bars[1] : SongEnd(lines);
            while (over - fits > 1) {
                std::uint32_t middle = fits + (over - fits) / 2;
                (cost.Total(middle) <= capacity ? fits : over) = middle;
            }
            cut = fits;
        }
        Cut(lines, lyrics, cut, report);
        outcome.barsKept = static_cast<std::uint32_t>(low);
        report.warnings.push_back("歌曲太长, 在第" + std::to_string(low) + "小节结束 (原有" +
                                  std::to_string(totalBars) + "小节)");
    }
    LimitLyricCount(lyrics, report.warnings);
    std::vector<std::uint32_t> lyricUnits = LyricUnits(lyrics);
    SongCost cost(lines, lyricUnits);
    used = cost.Total();
    for (int v = 0; v < kVoiceCount; ++v) outcome.voiceBytes[static_cast<std::size_t>(v)] = cost.Voice(v);
    outcome.used = used;
    return outcome;
}

}  // namespace kelvane::arrange
