// The one place where time passes in a track: delta times become time units
// (division / 8 ticks each) with the leftover ticks carried, and the note that
// has just ended is written with its length.
#include "ConversionState.h"

namespace kelvane {

bool ConversionState::ReadDeltaTime() {
    std::uint32_t ticks;
    if (!ReadVarLen(ticks)) return false;
    std::uint32_t unitTicks = division >> 3;
    std::uint32_t units = ticks / unitTicks;
    tickRemainder += ticks % unitTicks;
    // A remainder equal to one unit is carried, not converted.
    if (tickRemainder > unitTicks) {
        tickRemainder -= unitTicks;
        ++units;
    }
    track.elapsedUnits += units;
    if (track.elapsedUnits > kTrackUnitLimit) return false;

    lyricGap += units;
    track.pendingUnits += static_cast<std::int32_t>(units);
    if (track.pendingNote < 0) return true;

    auto length = static_cast<std::uint32_t>(track.pendingUnits);
    switch (track.channel) {
        case kSquare1:
        case kSquare2:
        case kTriangle:
            WriteTonalNote(track.channel, track.pendingNote, length);
            break;
        case kNoise:
        case kDpcm: {
            // One label per pitch class: the label names only the pitch class,
            // so notes an octave apart share it and it is defined once.
            int key = track.pendingNote % 12;
            bool due = true;
            for (int i = 0; i < labelCount; ++i) {
                if (labelTable[i].channel == track.channel && labelTable[i].note == key) {
                    due = false;
                    break;
                }
            }
            WritePercussionNote(track.channel, track.pendingNote, length, due);
            if (due && labelCount < kLabelCapacity) labelTable[labelCount++] = {track.channel, key};
            break;
        }
        default:
            break;  // the conductor track has no stream
    }
    track.pendingNote = -1;
    track.pendingUnits = 0;
    return true;
}

}  // namespace kelvane
