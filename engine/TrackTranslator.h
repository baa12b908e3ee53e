// Translating: the events of one track chunk, with its channel and the
// division, become a channel program. No I/O; a track that holds data it
// cannot parse comes back with `translated` false and what it had written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ChannelProgram.h"
#include "LyricList.h"
#include "MidiFile.h"
#include "TrackCursor.h"

namespace kelvane {

constexpr std::uint64_t kTrackUnitLimit = 4194304;  // 2^22 time units

struct TrackState {
    std::int32_t heldNote = -1;
    std::int32_t pendingNote = -1;
    std::int32_t pendingUnits = 0;
    std::int32_t timbreCount = 0;
    std::int32_t channel = 0;
    bool firstNote = true;
    // Time units of all the track's delta times, to stop a track that claims
    // more time than the song block could ever play.
    std::uint64_t elapsedUnits = 0;
};

// The (channel, pitch class) pairs whose percussion label is defined.
struct LabelTable {
    static constexpr int kCapacity = 24;  // two channels, twelve pitch classes
    struct Entry {
        std::int32_t channel;
        std::int32_t note;
    };
    Entry entries[kCapacity];
    int count = 0;

    // True the first time a pair is seen, which records it.
    bool FirstUse(int channel, int note);
};

// The four tempo values for a tempo in microseconds per quarter note.
void SetTempo(std::uint32_t microsecondsPerQuarter, int (&tempo)[4]);

// How long `units` time units play: unit k lasts tempo[k mod 4] - 1 steps of
// 1/50 second.
double SongSeconds(std::uint64_t units, const int (&tempo)[4]);

class TrackTranslator {
public:
    // One translator serves one song: the label table and the lyric list
    // run across its tracks.
    TrackTranslator(const std::vector<std::uint8_t>& data, std::uint16_t division, LyricList& lyrics);

    // Translates `chunk` on channel `channel` into `program`. A tempo event
    // sets `tempo`.
    void TranslateTrack(const TrackChunk& chunk, int channel, ChannelProgram& program, int (&tempo)[4]);

    // The last tempo event's microseconds per quarter note; the file
    // format's default before any.
    std::uint32_t LastTempoMicros() const { return lastTempoMicros_; }

private:
    bool Translate();
    bool ReadDeltaTime();
    bool TranslateMetaEvent(bool& endOfTrack);
    bool TranslateChannelMessages(std::uint8_t status);
    void CaptureLyric();

    const std::vector<std::uint8_t>& data_;
    std::uint32_t unitTicks_;
    LyricList& lyrics_;
    LabelTable labels_;

    ChannelProgram* program_ = nullptr;
    int (*tempo_)[4] = nullptr;
    TrackCursor cursor_;
    std::uint32_t tickRemainder_ = 0;
    std::uint32_t lyricGap_ = 0;
    std::uint32_t lastTempoMicros_ = 500000;
    TrackState track_;
};

}  // namespace kelvane
