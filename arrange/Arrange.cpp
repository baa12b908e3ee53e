// The arrangement, step by step: read, re-time, choose roles, reduce each
// voice to one line, fit the song block, write, and measure the written file
// with the engine itself.
#include "Arrange.h"

#include <algorithm>

#include "Analyze.h"
#include "Arpeggio.h"
#include "Drums.h"
#include "Fit.h"
#include "GmNames.h"
#include "Lyrics.h"
#include "Roles.h"
#include "SmfReader.h"
#include "SongCost.h"
#include "Timing.h"
#include "Voices.h"
#include "Writer.h"

namespace kelvane::arrange {
namespace {

constexpr char kNoNotes[] = "MIDI文件中没有音符";
constexpr char kNotConvertible[] = "编排后的歌曲无法转换";
constexpr char kNothingToPlay[] = "编排后没有能播放的音符";
constexpr int kDefaultVolume = 100;  // controller 7 before any is sent
constexpr int kDefaultExpression = 127;

// Controller 7 values written before the notes of the squares and Noise,
// whenever the level the driver hears (value / 8) changes. The triangle has
// no volume and the DPCM none worth a byte.
void ApplyVolumes(const Score& score, std::array<VoiceLine, kVoiceCount>& lines) {
    if (score.volumes.empty()) return;
    std::array<std::vector<const VolumeChange*>, 16> byChannel;
    std::array<std::size_t, 16> counts{};
    for (const VolumeChange& change : score.volumes) ++counts[change.channel];
    for (std::size_t c = 0; c < 16; ++c) byChannel[c].reserve(counts[c]);
    for (const VolumeChange& change : score.volumes) byChannel[change.channel].push_back(&change);
    for (auto& changes : byChannel)
        std::stable_sort(changes.begin(), changes.end(),
                         [](const VolumeChange* a, const VolumeChange* b) { return a->unit < b->unit; });
    for (int v : {kSquare1, kSquare2, kNoise}) {
        std::array<std::size_t, 16> next{};
        std::array<int, 16> volume, expression;
        volume.fill(kDefaultVolume);
        expression.fill(kDefaultExpression);
        int level = -1;
        for (VoiceNote& note : lines[static_cast<std::size_t>(v)].notes) {
            auto channel = static_cast<std::size_t>(score.parts[score.notes[note.note].part].channel);
            const auto& changes = byChannel[channel];
            for (; next[channel] < changes.size() && changes[next[channel]]->unit <= note.start; ++next[channel])
                (changes[next[channel]]->controller == 7 ? volume : expression)[channel] =
                    changes[next[channel]]->value;
            if (changes.empty() && level < 0) continue;
            int value = volume[channel] * expression[channel] / 127;
            if (value / 8 != level) {
                note.volume = static_cast<std::int16_t>(value);
                level = value / 8;
            }
        }
    }
}

// Every gap of a tonal line becomes a rest of its own, so that the note
// before it ends at its end.
void MarkRests(std::array<VoiceLine, kVoiceCount>& lines) {
    for (int v = kSquare1; v <= kTriangle; ++v) {
        std::vector<VoiceNote>& notes = lines[static_cast<std::size_t>(v)].notes;
        for (std::size_t i = 0; i + 1 < notes.size(); ++i) notes[i].restAfter = notes[i + 1].start > notes[i].end;
    }
}

// A song whose last notes went under others (or to no voice) ends early: a
// rest on the first tonal voice with notes holds it to the file's end.
void HoldToTheEnd(std::array<VoiceLine, kVoiceCount>& lines, std::uint32_t end) {
    std::uint32_t last = 0;
    for (const VoiceLine& line : lines)
        if (!line.notes.empty()) last = std::max(last, line.notes.back().end);
    if (last >= end) return;
    for (int v = kSquare1; v <= kTriangle; ++v) {
        VoiceLine& line = lines[static_cast<std::size_t>(v)];
        if (!line.notes.empty()) {
            line.restUntil = end;
            return;
        }
    }
}

std::string SourceText(const Score& score, std::uint32_t p) {
    const Part& part = score.parts[p];
    std::string name = part.drums ? GmDrumKitName(part.program) : GmProgramName(part.program);
    return "track " + std::to_string(part.track) + ", channel " + std::to_string(part.channel + 1) + ": " + name;
}

// Each voice's own parts first, then those it filled from, in priority order.
void ReportSources(const Score& score, const RolePlan& plan, const std::array<VoiceLine, kVoiceCount>& lines,
                   ArrangementReport& report) {
    std::vector<bool> used(score.parts.size());
    for (int v = 0; v < kVoiceCount; ++v) {
        std::fill(used.begin(), used.end(), false);
        for (const VoiceNote& note : lines[static_cast<std::size_t>(v)].notes) used[score.notes[note.note].part] = true;
        std::vector<std::pair<int, std::uint32_t>> parts;
        for (std::uint32_t p = 0; p < used.size(); ++p)
            if (used[p]) parts.emplace_back(plan.voices[static_cast<std::size_t>(v)].rank[p], p);
        std::sort(parts.begin(), parts.end());
        for (const auto& part : parts)
            report.voices[static_cast<std::size_t>(v)].sources.push_back(SourceText(score, part.second));
        if (!parts.empty() && (parts.front().first == 0 || (v == kDpcm && plan.kitSplit)))
            report.voices[static_cast<std::size_t>(v)].reason = plan.reasons[static_cast<std::size_t>(v)];
    }
}

// Notes of the file that no voice plays, counted for the voice that owns
// their part: under the skyline, or lost in a collision of drum hits.
void CountHidden(const Score& score, const RolePlan& plan, const std::vector<std::uint8_t>& taken,
                 ArrangementReport& report) {
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < score.notes.size(); ++i) {
        const Note& note = score.notes[i];
        if (taken[i] != 0 || note.start >= kMaxUnits) continue;
        if (!score.parts[note.part].drums && note.end <= note.start) continue;
        int owner = plan.owner[note.part];
        if (owner < 0) continue;
        ++report.voices[static_cast<std::size_t>(owner)].hidden;
        ++total;
    }
    if (total > 0) report.warnings.push_back("和弦与同时发声的音中有" + std::to_string(total) + "个未编排进声道");
}

void ReportReading(const Score& score, const Timing& timing, ArrangementReport& report) {
    if (score.pitchBends > 0) report.warnings.push_back("忽略了弯音 (" + std::to_string(score.pitchBends) + "个)");
    if (timing.TempoChanges() > 0) {
        report.warnings.push_back("合并了" + std::to_string(timing.TempoChanges()) +
                                  "处速度变化: 全曲用同一时间单位, 各段时长不变");
    }
    std::uint32_t late = 0;
    for (const Note& note : score.notes) late += note.start >= kMaxUnits ? 1 : 0;
    if (late > 0) report.warnings.push_back("歌曲太长, 后面的" + std::to_string(late) + "个音符无法播放");
}

// Arpeggios ask for units of at most three frames: a coarser grid is split
// into the fewest equal parts that short, so that the beats the grid was
// chosen for stay on it. The finer grid costs wait bytes, which the fit
// weighs as for any song.
Grid ArpeggioGrid(const Grid& grid) {
    constexpr int kLongestQuarterFrames = 12;
    const int quarters = grid.CycleFrames();  // a unit's length in quarter frames
    const int parts = (quarters + kLongestQuarterFrames - 1) / kLongestQuarterFrames;
    const int part = std::max(4, (quarters + parts / 2) / parts);
    return Grid{part / 4, part % 4};
}

// One note at a time per voice, from the start: `taken` is made anew.
void BuildLines(const Score& score, const std::vector<std::uint32_t>& order, const RolePlan& plan, SongLayout& song,
                std::vector<std::uint8_t>& taken) {
    taken.assign(score.notes.size(), 0);
    song.lines[kSquare1] = BuildTonalLine(score, order, plan.voices[kSquare1], kSquare1, taken, nullptr);
    song.lines[kTriangle] = BuildTonalLine(score, order, plan.voices[kTriangle], kTriangle, taken, nullptr);
    song.lines[kSquare2] =
        BuildTonalLine(score, order, plan.voices[kSquare2], kSquare2, taken, &song.lines[kSquare1]);
    if (plan.driverLayout) {
        song.lines[kNoise] = BuildTonalLine(score, order, plan.voices[kNoise], kNoise, taken, nullptr);
        song.lines[kDpcm] = BuildTonalLine(score, order, plan.voices[kDpcm], kDpcm, taken, nullptr);
    } else {
        DrumLines drums = BuildDrumLines(score, order, plan, taken);
        song.lines[kNoise] = std::move(drums.noise);
        song.lines[kDpcm] = std::move(drums.dpcm);
    }
}

std::size_t NoteCount(const std::array<VoiceLine, kVoiceCount>& lines) {
    std::size_t notes = 0;
    for (const VoiceLine& line : lines) notes += line.notes.size();
    return notes;
}

void ReportArpeggios(const ArpeggioOutcome& outcome, ArrangementReport& report) {
    report.chordNotesKept = outcome.chordNotes;
    if (outcome.units == 0) return;
    report.warnings.push_back("方波2以琶音奏出和弦, 保留了" + std::to_string(outcome.chordNotes) + "个和弦音" +
                              (outcome.cut ? " (后段因歌曲空间不足未加琶音)" : ""));
}

}  // namespace

ArrangeResult Arrange(const std::vector<std::uint8_t>& midiBytes, const VoiceAssignment& assignment) {
    return Arrange(midiBytes, assignment, ArrangeOptions());
}

ArrangeResult Arrange(const std::vector<std::uint8_t>& midiBytes, const VoiceAssignment& assignment,
                      const ArrangeOptions& options) {
    ArrangeResult result;
    ArrangementReport& report = result.report;
    Score score;
    if (!ReadScore(midiBytes.data(), midiBytes.size(), score, result.error)) return result;
    if (score.notes.empty()) {
        result.error = kNoNotes;
        return result;
    }
    Timing timing(score);  // its grid may still grow coarser in the fit
    if (options.chordArpeggios && !UnitShortEnoughForArpeggios(timing.UnitGrid()))
        timing.UseGrid(ArpeggioGrid(timing.UnitGrid()));
    const TimingFigures figures = ApplyTiming(score, timing);
    ReportReading(score, timing, report);
    report.fileTracks = score.headerTracks;
    report.fileDivision = score.headerDivision;

    const std::vector<std::uint32_t> order = OrderByStart(score);
    std::vector<LyricSource> lyricSources = FindLyricSources(score, order);
    std::vector<int> lyricParts;
    for (const LyricSource& source : lyricSources)
        if (source.part >= 0) lyricParts.push_back(source.part);
    RolePlan plan = PlanRoles(score, order, assignment, lyricParts);
    report.warnings.insert(report.warnings.end(), plan.warnings.begin(), plan.warnings.end());

    SongLayout song;
    std::vector<std::uint8_t> taken;
    BuildLines(score, order, plan, song, taken);
    if (NoteCount(song.lines) == 0) {
        // Every note shorter than a unit: rather than a silent song, each
        // sounds a unit, and the parts are weighed again with them.
        for (Note& note : score.notes)
            if (note.end <= note.start && note.start < kMaxUnits) note.end = note.start + 1;
        plan = PlanRoles(score, order, assignment, lyricParts);
        BuildLines(score, order, plan, song, taken);
        if (NoteCount(song.lines) == 0) {
            result.error = kNothingToPlay;
            return result;
        }
        report.warnings.push_back("音符都短于一个时间单位: 每个按一个单位播放");
    }
    for (int v = 0; v < kVoiceCount; ++v) {
        VoiceArrangement& voice = report.voices[static_cast<std::size_t>(v)];
        voice.droppedShort = song.lines[static_cast<std::size_t>(v)].droppedShort;
        voice.movedOctave = song.lines[static_cast<std::size_t>(v)].movedOctave;
    }
    ApplyVolumes(score, song.lines);
    for (int v = kSquare1; v <= kTriangle; ++v)
        if (!song.lines[static_cast<std::size_t>(v)].notes.empty())
            song.programs[static_cast<std::size_t>(v)] =
                score.notes[song.lines[static_cast<std::size_t>(v)].notes.front().note].program;
    std::vector<bool> melodyParts(score.parts.size());
    for (std::size_t p = 0; p < melodyParts.size(); ++p) melodyParts[p] = plan.voices[kSquare1].rank[p] == 0;
    LyricOutcome lyrics = ArrangeLyrics(score, lyricSources, melodyParts, song.lyricPool);
    ReportLyrics(lyrics, report.warnings);
    song.lyrics = std::move(lyrics.lines);
    // Arpeggios fill Square2's idle time before the rests are marked, so that
    // a rest stands only where nothing sounds.
    const Grid chosen = timing.UnitGrid();
    if (options.chordArpeggios && UnitShortEnoughForArpeggios(chosen))
        ReportArpeggios(AddChordArpeggios(score, order, plan, song.lines, taken, LyricUnits(song.lyrics),
                                          kSongBlockSize - 1),
                        report);
    MarkRests(song.lines);
    report.rests = CountRests(song.lines);
    HoldToTheEnd(song.lines, timing.ToUnitAt(figures.songMicros));
    if (!score.meters.empty()) {
        auto first = std::min_element(score.meters.begin(), score.meters.end(),
                                      [](const MeterChange& a, const MeterChange& b) { return a.tick < b.tick; });
        song.meterNumerator = first->numerator;
        song.meterDenominatorPower = first->denominatorPower;
    }

    // One byte short of the block: a stream that ends on its very last byte
    // wraps the engine's 16-bit cursor to 0, and the in-memory measure then
    // cannot tell how much was used. The fit's count of bytes is the
    // engine's (the tests hold them equal); the engine's own measure of the
    // written file has the last word.
    const std::size_t capacity = kSongBlockSize - 1;
    CountHidden(score, plan, taken, report);
    FitOutcome fit = FitSong(song.lines, song.lyrics, score, timing, capacity, report);
    // The fit may have given the song a coarser grid: its tempo, and how far
    // the notes moved on it.
    song.tempo = timing.UnitGrid().TempoMicros();
    const TimingFigures moved = timing.UnitGrid() == chosen ? figures : ApplyTiming(score, timing);
    result.midi = WriteArrangedSong(song, score);
    kelvane::ConversionReport check = AnalyzeSong(result.midi);
    if (check.refused || check.songBlockFull || !check.succeeded) {
        result.error = kNotConvertible;
        return result;
    }
    report.songBlockUsed = check.songBlockUsed;
    report.bars = fit.barsKept;
    for (int v = 0; v < kVoiceCount; ++v)
        report.voices[static_cast<std::size_t>(v)].bytes = fit.voiceBytes[static_cast<std::size_t>(v)];

    ReportSources(score, plan, song.lines, report);
    std::uint32_t end = 0;
    for (int v = 0; v < kVoiceCount; ++v) {
        const VoiceLine& line = song.lines[static_cast<std::size_t>(v)];
        report.voices[static_cast<std::size_t>(v)].notes = static_cast<std::uint32_t>(line.notes.size());
        if (!line.notes.empty()) end = std::max({end, line.notes.back().end, line.restUntil});
    }
    report.units = end;
    report.tempo = song.tempo;
    report.sourceSeconds = figures.songMicros / 1e6;
    report.movedShare = moved.movedShare;
    report.onsetP95Ms = moved.onsetP95Micros / 1000;
    report.unitMs = timing.UnitGrid().UnitMicros() / 1000;
    for (int v = kSquare1; v <= kTriangle; ++v)
        report.restsKept[static_cast<std::size_t>(v)] = CountRests(song.lines[static_cast<std::size_t>(v)]);
    result.ok = true;
    return result;
}

}  // namespace kelvane::arrange
