// What translating a whole song gives: one channel program per track and the
// tempo the conductor track leaves.
#pragma once

#include <array>

#include "ChannelProgram.h"
#include "LyricList.h"
#include "MidiFile.h"
#include "SongTables.h"

namespace kelvane {

struct TranslatedSong {
    int trackCount = 0;
    std::array<ChannelProgram, kMaxTracks> programs;
    int tempo[4] = {4, 4, 4, 4};
    std::uint32_t tempoMicros = 500000;  // microseconds per quarter note the tempo came from
};

// Translates every track of `song` (at most kMaxTracks) from `data`, calling
// `afterTrack` after each. The tempo starts at the file format's default.
template <typename AfterTrack>
void TranslateSong(const std::vector<std::uint8_t>& data, const MidiSong& song, TranslatedSong& out,
                   LyricList& lyrics, AfterTrack afterTrack);

}  // namespace kelvane

#include "TrackTranslator.h"

namespace kelvane {

template <typename AfterTrack>
void TranslateSong(const std::vector<std::uint8_t>& data, const MidiSong& song, TranslatedSong& out,
                   LyricList& lyrics, AfterTrack afterTrack) {
    // The file format's default of 500000 microseconds per quarter note, for
    // a conductor track without a tempo event.
    SetTempo(500000, out.tempo);
    out.trackCount = song.trackCount;
    TrackTranslator translator(data, song.division, lyrics);
    int laterTempo[4];  // tempo events after the conductor track change nothing
    for (int i = 0; i < song.trackCount && i < kMaxTracks; ++i) {
        translator.TranslateTrack(song.chunks[static_cast<std::size_t>(i)], i, out.programs[static_cast<std::size_t>(i)],
                                  i == 0 ? out.tempo : laterTempo);
        if (i == 0) out.tempoMicros = translator.LastTempoMicros();
        afterTrack();
    }
}

}  // namespace kelvane
