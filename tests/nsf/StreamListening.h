// A whole song block heard against what its streams say: the streams walked
// into timed notes, rests and hits by the driver's rules, the NSF rendered
// one voice at a time, and each note checked by ear: its pitch, the start of
// a repeated note, the silence of a rest, a drum hit's start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SoundMeasure.h"

namespace kelvane::test {

// What a stream holds, timed from libgme's first PLAY in libgme's samples.
struct StreamEvent {
    double startMs = 0;
    double endMs = 0;
    int note = -1;     // MIDI note as the chip sounds it; -1 silence (rest, closing, volume 0 hit)
    int volume = 15;
    bool start = false;   // a note command (not a note held on by waits or a volume change)
    int preset = -1;      // Noise and DPCM: the hit's preset
};
// One list per channel, Square1 to DPCM.
std::vector<std::vector<StreamEvent>> StreamEvents(const std::vector<std::uint8_t>& block);

struct VoiceVerdict {
    int notes = 0, pitched = 0, pitchOff = 0;       // pitch checked where long enough
    int repeats = 0, repeatsHeard = 0;               // same note straight after the same note
    int rests = 0, restsSilent = 0;                  // silent for 80 % of their length
    int hits = 0, hitsHeard = 0;                     // an onset within 5 ms
    double worstCents = 0;
    std::vector<std::string> faults;                 // the first few, for the test output
    std::string Summary(const std::string& voice) const;
};

// Listens to each voice of `nsf`, whose song block is `block`, for what
// starts in the song's first `untilMs`. Index 0 to 4: Square1, Square2,
// Triangle, Noise, DPCM (on the DMC).
std::vector<VoiceVerdict> ListenToSong(const std::vector<std::uint8_t>& nsf,
                                       const std::vector<std::uint8_t>& block, double untilMs = 1e9);

}  // namespace kelvane::test
