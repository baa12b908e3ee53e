#include "Writer.h"

#include <algorithm>

namespace kelvane::arrange {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kTicksPerUnit = kArrangedDivision / 8;
constexpr int kFullVolume = 127;

std::uint8_t Byte(unsigned value) { return static_cast<std::uint8_t>(value); }

class TrackWriter {
public:
    explicit TrackWriter(Bytes& out) : out_(out) {
        out_.insert(out_.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
        start_ = out_.size();
    }

    TrackWriter& At(std::uint32_t unit) {
        std::uint32_t tick = unit * kTicksPerUnit;
        std::uint32_t delta = tick - last_;
        last_ = tick;
        std::uint8_t groups[5];
        int count = 0;
        do {
            groups[count++] = delta & 0x7F;
            delta >>= 7;
        } while (delta != 0);
        while (count > 1) out_.push_back(Byte(groups[--count] | 0x80));
        out_.push_back(groups[0]);
        return *this;
    }
    TrackWriter& Put(std::initializer_list<std::uint8_t> bytes) {
        out_.insert(out_.end(), bytes);
        return *this;
    }
    TrackWriter& Meta(std::uint8_t type, const char* text, std::uint32_t length) {
        out_.push_back(0xFF);
        out_.push_back(type);
        if (length >= 0x80) out_.push_back(Byte(0x80 | length >> 7));
        out_.push_back(Byte(length & 0x7F));
        out_.insert(out_.end(), text, text + length);
        return *this;
    }
    std::uint32_t LastUnit() const { return last_ / kTicksPerUnit; }
    void End() {
        At(LastUnit()).Put({0xFF, 0x2F, 0x00});
        std::size_t length = out_.size() - start_;
        for (int i = 0; i < 4; ++i) out_[start_ - 4 + static_cast<std::size_t>(i)] = Byte(static_cast<std::uint32_t>(length >> (24 - 8 * i)));
    }

private:
    Bytes& out_;
    std::size_t start_ = 0;
    std::uint32_t last_ = 0;
};

void WriteVoice(Bytes& out, int voice, const SongLayout& song, const Score& score) {
    TrackWriter track(out);
    const std::string name = VoiceName(voice);
    track.At(0).Meta(0x03, name.data(), static_cast<std::uint32_t>(name.size()));
    const VoiceLine& line = song.lines[static_cast<std::size_t>(voice)];
    const std::vector<VoiceNote>& notes = line.notes;
    const std::uint8_t channel = voice <= kTriangle ? Byte(static_cast<unsigned>(voice)) : Byte(kDrumChannel);
    if (song.programs[static_cast<std::size_t>(voice)] >= 0 && !notes.empty())
        track.At(0).Put({Byte(0xC0 | channel), Byte(static_cast<unsigned>(song.programs[static_cast<std::size_t>(voice)]))});

    static const std::vector<LyricLine> kNone;
    const std::vector<LyricLine>& lyrics = voice == kSquare1 ? song.lyrics : kNone;
    std::size_t lyric = 0;
    auto lyricsBefore = [&](std::uint32_t unit) {
        for (; lyric < lyrics.size() && lyrics[lyric].unit < unit; ++lyric)
            track.At(lyrics[lyric].unit)
                .Meta(0x05, song.lyricPool.data() + lyrics[lyric].offset, lyrics[lyric].length);
    };

    // The driver starts every channel at full volume.
    int volume = kFullVolume;
    bool silenced = false;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const VoiceNote& note = notes[i];
        lyricsBefore(note.start);
        if (note.volume != kNoVolume) {
            volume = note.volume;
            track.At(note.start).Put({Byte(0xB0 | channel), 7, Byte(static_cast<unsigned>(volume))});
        } else if (silenced) {
            track.At(note.start).Put({Byte(0xB0 | channel), 7, Byte(static_cast<unsigned>(volume))});
        }
        silenced = false;
        std::uint8_t velocity = std::max<std::uint8_t>(score.notes[note.note].velocity, 1);
        track.At(note.start).Put({Byte(0x90 | channel), note.key, velocity});
        const bool last = i + 1 == notes.size();
        const std::uint32_t until = last ? line.restUntil : notes[i + 1].start;
        const bool rest = (note.restAfter && !last) || (last && until > note.end);
        // The engine writes a note at the delta time after its note-off, so an
        // event in the rest after it would end it early and start the next
        // note early: without a rest note of its own, such a note sounds on
        // until the next one.
        std::uint32_t off = note.end;
        if (i + 1 < notes.size() && !rest) {
            std::size_t next = lyric;
            while (next < lyrics.size() && lyrics[next].unit < note.end) ++next;
            if (next < lyrics.size() && lyrics[next].unit < notes[i + 1].start) off = notes[i + 1].start;
        }
        lyricsBefore(off);
        track.At(off).Put({Byte(0x80 | channel), note.key, 0});
        if (rest) {
            // The rest: volume 0, a note that lasts it, and the volume again
            // just before the next note.
            track.At(note.end).Put({Byte(0xB0 | channel), 7, 0});
            track.At(note.end).Put({Byte(0x90 | channel), note.key, 1});
            lyricsBefore(until);
            track.At(until).Put({Byte(0x80 | channel), note.key, 0});
            silenced = true;
        }
    }
    lyricsBefore(UINT32_MAX);
    track.End();
}

}  // namespace

Bytes WriteArrangedSong(const SongLayout& song, const Score& score) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1 + kVoiceCount,
                 Byte(kArrangedDivision >> 8), Byte(kArrangedDivision & 0xFF)};
    {
        TrackWriter conductor(out);
        conductor.At(0).Put({0xFF, 0x51, 0x03, Byte(song.tempo >> 16), Byte(song.tempo >> 8), Byte(song.tempo)});
        conductor.At(0).Put({0xFF, 0x58, 0x04, song.meterNumerator, song.meterDenominatorPower, 24, 8});
        conductor.End();
    }
    for (int voice = 0; voice < kVoiceCount; ++voice) WriteVoice(out, voice, song, score);
    return out;
}

}  // namespace kelvane::arrange
