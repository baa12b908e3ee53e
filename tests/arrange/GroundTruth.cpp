#include "GroundTruth.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace kelvane::test {
namespace {

constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kDrumChannel = 9;

int Pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
bool Chance(std::mt19937& rng, double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }

// The chord tone of `tones` in [low, high] above `floor` nearest `target`;
// the range widens upwards when the floor leaves none.
int Nearest(const std::vector<int>& tones, int target, int low, int high, int floor) {
    for (int widen = 0;; widen += 6) {
        int best = -1;
        for (int key = std::max(low, floor + 1); key <= high + widen; ++key) {
            if (std::find(tones.begin(), tones.end(), key % 12) == tones.end()) continue;
            if (best < 0 || std::abs(key - target) < std::abs(best - target)) best = key;
        }
        if (best >= 0) return best;
    }
}

// Adds a note, or lengthens the part's last one when it has the key and ends here.
void Sound(TruthPart& part, std::uint32_t start, std::uint32_t end, int key, bool tie) {
    if (tie && !part.notes.empty() && part.notes.back().key == key && part.notes.back().end == start) {
        part.notes.back().end = end;
        return;
    }
    part.notes.push_back({start, end, key});
}

struct Event {
    std::uint32_t tick;
    int order;  // ends, then meta and programs, then starts
    Bytes bytes;
};

Bytes Meta(int type, const std::string& data) {
    Bytes bytes = {0xFF, static_cast<std::uint8_t>(type)};
    PutVarLen(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

Track ToTrack(std::vector<Event> events, std::uint32_t endTick) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Track track;
    std::uint32_t at = 0;
    for (const Event& event : events) {
        track.Raw(event.bytes, event.tick - at);
        at = event.tick;
    }
    return track.End(endTick > at ? endTick - at : 0);
}

void AddPart(std::vector<Event>& events, const TruthPart& part, int channel, bool header) {
    auto c = static_cast<std::uint8_t>(channel);
    if (header && !part.name.empty()) events.push_back({0, 1, Meta(0x03, part.name)});
    if (header && part.program >= 0)
        events.push_back({0, 1, {static_cast<std::uint8_t>(0xC0 | c), static_cast<std::uint8_t>(part.program)}});
    for (const TruthLyric& lyric : part.lyrics) events.push_back({lyric.tick, 1, Meta(0x05, lyric.text)});
    for (const TruthNote& note : part.notes) {
        auto key = static_cast<std::uint8_t>(note.key);
        events.push_back({note.start, 2, {static_cast<std::uint8_t>(0x90 | c), key, 96}});
        events.push_back({note.end, 0, {static_cast<std::uint8_t>(0x80 | c), key, 64}});
    }
}

TruthPart DrumPart(const Piece& piece) {
    TruthPart drums;
    drums.drums = true;
    drums.channel = kDrumChannel;
    const std::uint32_t beat = static_cast<std::uint32_t>(piece.division * 4) >> piece.denominatorPower;
    for (std::uint32_t tick = 0, n = 0; tick + beat <= piece.endTick; tick += beat, ++n) {
        drums.notes.push_back({tick, tick + beat / 4, n % 2 == 0 ? 36 : 38});
        drums.notes.push_back({tick, tick + beat / 4, 42});
    }
    return drums;
}

}  // namespace

double Piece::Seconds(std::uint32_t tick) const {
    double seconds = 0;
    std::uint32_t at = 0, micros = tempos.empty() ? 500000 : tempos.front().micros;
    for (const TempoMark& mark : tempos) {
        if (mark.tick >= tick) break;
        seconds += double(mark.tick - at) * micros / division / 1e6;
        at = mark.tick;
        micros = mark.micros;
    }
    return seconds + double(tick - at) * micros / division / 1e6;
}

Piece FourParts(std::uint32_t seed, bool piano) {
    std::mt19937 rng(seed);
    Piece piece;
    const int divisions[] = {96, 192, 384, 480, 960};
    piece.division = divisions[Pick(rng, 0, 4)];
    const int meters[][2] = {{4, 2}, {3, 2}, {2, 2}, {6, 3}, {4, 2}, {3, 2}};
    const auto& meter = meters[Pick(rng, 0, 5)];
    piece.numerator = meter[0];
    piece.denominatorPower = meter[1];
    const int bars = Pick(rng, 8, 28);
    const auto beat = static_cast<std::uint32_t>(piece.division * 4) >> piece.denominatorPower;
    const int beatsPerChord = piece.denominatorPower == 3 ? 3 : Pick(rng, 1, 2);
    const std::uint32_t barTicks = beat * static_cast<std::uint32_t>(piece.numerator);
    const int steps = bars * piece.numerator / beatsPerChord;
    const std::uint32_t span = beat * static_cast<std::uint32_t>(beatsPerChord);
    piece.endTick = span * static_cast<std::uint32_t>(steps);

    auto micros = static_cast<std::uint32_t>(60e6 / Pick(rng, 60, 170));
    piece.tempos.push_back({0, micros});
    for (int changes = Pick(rng, 0, 2), i = 0; i < changes; ++i) {
        auto bar = static_cast<std::uint32_t>(Pick(rng, 1, bars - 1));
        double factor = std::uniform_real_distribution<double>(0.7, 1.4)(rng);
        piece.tempos.push_back({bar * barTicks, static_cast<std::uint32_t>(micros * factor)});
    }
    std::sort(piece.tempos.begin(), piece.tempos.end(),
              [](const TempoMark& a, const TempoMark& b) { return a.tick < b.tick; });

    piece.parts.resize(piano ? 3 : 4);
    for (std::size_t p = 0; p < piece.parts.size(); ++p) piece.parts[p].channel = static_cast<int>(p);
    TruthPart& soprano = piece.parts[0];
    TruthPart& alto = piece.parts[1];
    TruthPart& tenor = piano ? piece.parts[1] : piece.parts[2];
    TruthPart& bass = piece.parts.back();
    piece.melody = 0;
    piece.bass = static_cast<int>(piece.parts.size()) - 1;

    const int tonic = Pick(rng, 0, 11);
    static const std::vector<std::vector<int>> kNext = {{3, 4, 5, 1}, {4, 6}, {5, 3}, {4, 0, 1}, {0, 5}, {1, 3}, {0}};
    int degree = 0, s = 72, a = 64, t = 57, b = 48;
    const int phraseSteps = std::max(2, 4 * piece.numerator / beatsPerChord);
    std::vector<int> sopranoKeys;
    for (int step = 0; step < steps; ++step) {
        if (step == steps - 2) degree = 4;
        if (step == steps - 1) degree = 0;
        std::vector<int> tones;
        for (int k : {0, 2, 4}) tones.push_back((tonic + kMajor[(degree + k) % 7]) % 12);
        int root = tones[0];
        b = Nearest({root}, b, 40, 55, 0);
        t = Nearest(tones, t, 50, 64, b);
        a = Nearest(tones, a, 57, 70, t);
        s = Nearest(tones, s + (Chance(rng, 0.5) ? 2 : -2), 65, 81, a);
        const std::uint32_t start = span * static_cast<std::uint32_t>(step), end = start + span;
        const bool phraseEnd = step % phraseSteps == phraseSteps - 1;
        // The tune breathes at the end of a phrase.
        Sound(soprano, start, phraseEnd ? end - span / 4 : end, s, Chance(rng, 0.3));
        Sound(alto, start, end, a, Chance(rng, 0.6));
        Sound(tenor, start, end, t, !piano && Chance(rng, 0.6));
        Sound(bass, start, end, b, Chance(rng, 0.5));
        sopranoKeys.push_back(s);
        degree = kNext[static_cast<std::size_t>(degree)][static_cast<std::size_t>(
            Pick(rng, 0, static_cast<int>(kNext[static_cast<std::size_t>(degree)].size()) - 1))];
    }
    // Passing notes between soprano notes a third apart, above the alto.
    std::vector<TruthNote> notes;
    for (std::size_t i = 0; i < soprano.notes.size(); ++i) {
        TruthNote note = soprano.notes[i];
        if (i + 1 < soprano.notes.size() && note.end == soprano.notes[i + 1].start &&
            std::abs(soprano.notes[i + 1].key - note.key) >= 3 && std::abs(soprano.notes[i + 1].key - note.key) <= 4 &&
            Chance(rng, 0.6)) {
            int passing = (note.key + soprano.notes[i + 1].key) / 2;
            if (std::find(std::begin(kMajor), std::end(kMajor), ((passing - tonic) % 12 + 12) % 12) == std::end(kMajor))
                ++passing;
            std::uint32_t middle = note.end - (note.end - note.start) / 2;
            bool clear = std::none_of(alto.notes.begin(), alto.notes.end(), [&](const TruthNote& other) {
                return other.start < note.end && middle < other.end && other.key >= passing;
            });
            if (clear && passing != note.key && passing != soprano.notes[i + 1].key) {
                notes.push_back({note.start, middle, note.key});
                note = {middle, note.end, passing};
            }
        }
        notes.push_back(note);
    }
    soprano.notes = notes;
    return piece;
}

const char* LayoutName(Layout layout) {
    switch (layout) {
        case Layout::kScoreOrder: return "score order";
        case Layout::kShuffledPrograms: return "shuffled, programs";
        case Layout::kOneChannel: return "one channel";
        case Layout::kWithDrums: return "with drums";
    }
    return "";
}

Bytes WritePiece(const Piece& piece, Layout layout, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Event> conductor;
    for (const TempoMark& mark : piece.tempos)
        conductor.push_back({mark.tick, 1,
                             {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(mark.micros >> 16),
                              static_cast<std::uint8_t>(mark.micros >> 8), static_cast<std::uint8_t>(mark.micros)}});
    conductor.push_back({0, 1,
                         {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(piece.numerator),
                          static_cast<std::uint8_t>(piece.denominatorPower), 24, 8}});
    MidiFile file;
    file.Division(piece.division).Add(ToTrack(conductor, piece.endTick));

    std::vector<TruthPart> parts = piece.parts;
    if (layout == Layout::kOneChannel) {
        std::vector<Event> events;
        for (std::size_t p = 0; p < parts.size(); ++p) AddPart(events, parts[p], 0, p == 0);
        return file.Add(ToTrack(events, piece.endTick)).Build();
    }
    if (layout == Layout::kShuffledPrograms) {
        static const int kPrograms[] = {0, 6, 19, 40, 41, 42, 48, 52, 56, 60, 68, 71, 73, 24, 46, 57, 58, 70};
        for (TruthPart& part : parts)
            if (part.program < 0 && !part.drums) part.program = kPrograms[Pick(rng, 0, 17)];
        std::shuffle(parts.begin(), parts.end(), rng);
    }
    if (layout == Layout::kWithDrums) parts.push_back(DrumPart(piece));
    for (const TruthPart& part : parts) {
        std::vector<Event> events;
        AddPart(events, part, part.channel, true);
        file.Add(ToTrack(events, piece.endTick));
    }
    return file.Build();
}

namespace {

struct UnitNote {
    std::uint32_t start, end;
    int key;
};

std::vector<UnitNote> InUnits(const Piece& piece, const TruthPart& part, double unitSeconds) {
    std::vector<UnitNote> notes;
    for (const TruthNote& note : part.notes)
        notes.push_back({static_cast<std::uint32_t>(std::lround(piece.Seconds(note.start) / unitSeconds)),
                         static_cast<std::uint32_t>(std::lround(piece.Seconds(note.end) / unitSeconds)), note.key});
    return notes;
}

// The voice's note sounding at `unit`, or null.
const PlayedNote* At(const std::vector<PlayedNote>& voice, std::uint32_t unit) {
    auto it = std::upper_bound(voice.begin(), voice.end(), unit,
                               [](std::uint32_t u, const PlayedNote& note) { return u < note.start; });
    if (it == voice.begin()) return nullptr;
    --it;
    return unit < it->end ? &*it : nullptr;
}

double Played(const std::vector<UnitNote>& notes, const std::vector<PlayedNote>& voice) {
    std::size_t counted = 0, played = 0;
    for (const UnitNote& note : notes) {
        if (note.end <= note.start) continue;
        ++counted;
        const PlayedNote* sounding = At(voice, (note.start + note.end - 1) / 2);
        if (sounding && sounding->key % 12 == note.key % 12) ++played;
    }
    return counted == 0 ? 1.0 : double(played) / double(counted);
}

}  // namespace

double LowWithoutTriangle(const std::vector<PlayedNote>& lowNotes, const ArrangedSong& song) {
    std::uint32_t end = 0;
    for (const PlayedNote& note : lowNotes) end = std::max(end, note.end);
    std::vector<int> low(end + 1, 0);
    for (const PlayedNote& note : lowNotes) {
        if (note.key > 55 || note.end <= note.start) continue;
        ++low[note.start];
        --low[note.end];
    }
    std::uint64_t lowTime = 0, silent = 0;
    int sounding = 0;
    for (std::uint32_t unit = 0; unit < end; ++unit) {
        sounding += low[unit];
        if (sounding <= 0) continue;
        ++lowTime;
        if (!At(song.voices[arrange::kTriangle], unit)) ++silent;
    }
    return lowTime == 0 ? 0 : double(silent) / double(lowTime);
}

Agreement Compare(const Piece& piece, const ArrangedSong& song) {
    Agreement agreement;
    const double unitSeconds = song.tempo / 8.0 / 1e6;
    std::vector<std::vector<UnitNote>> parts;
    std::vector<PlayedNote> pitched;
    for (const TruthPart& part : piece.parts) {
        parts.push_back(InUnits(piece, part, unitSeconds));
        if (!part.drums)
            for (const UnitNote& note : parts.back()) pitched.push_back({note.start, note.end, note.key});
    }
    agreement.melodyInSquare1 = Played(parts[static_cast<std::size_t>(piece.melody)], song.voices[arrange::kSquare1]);
    if (piece.bass >= 0)
        agreement.bassInTriangle = Played(parts[static_cast<std::size_t>(piece.bass)], song.voices[arrange::kTriangle]);
    agreement.lowWithoutTriangle = LowWithoutTriangle(pitched, song);

    // Whose notes Square1 plays, weighed by their length: the exact key
    // first, else the pitch class moved by octaves.
    std::map<int, std::uint64_t> time;
    for (const PlayedNote& note : song.voices[arrange::kSquare1]) {
        const std::uint32_t middle = (note.start + note.end - 1) / 2;
        int owner = -1;
        for (int exact = 1; exact >= 0 && owner < 0; --exact)
            for (std::size_t p = 0; p < parts.size() && owner < 0; ++p)
                for (const UnitNote& truth : parts[p])
                    if (truth.start <= middle && middle < truth.end &&
                        (exact ? truth.key == note.key : truth.key % 12 == note.key % 12)) {
                        owner = static_cast<int>(p);
                        break;
                    }
        time[owner] += note.end - note.start;
    }
    std::uint64_t most = 0;
    for (const auto& entry : time)
        if (entry.first >= 0 && entry.second > most) most = entry.second, agreement.square1Part = entry.first;
    return agreement;
}

}  // namespace kelvane::test
