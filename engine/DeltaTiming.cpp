// The one place where time passes in a track: delta times become time units
// (division / 8 ticks each) with the leftover ticks carried, and the note that
// has just ended is written with its length.
#include "SongTables.h"
#include "TrackTranslator.h"

namespace kelvane {

bool TrackTranslator::ReadDeltaTime() {
    std::uint32_t ticks;
    if (!cursor_.ReadVarLen(ticks)) return false;
    std::uint32_t units = ticks / unitTicks_;
    tickRemainder_ += ticks % unitTicks_;
    // A remainder equal to one unit is carried, not converted.
    if (tickRemainder_ > unitTicks_) {
        tickRemainder_ -= unitTicks_;
        ++units;
    }
    track_.elapsedUnits += units;
    if (track_.elapsedUnits > kTrackUnitLimit) return false;

    lyricGap_ += units;
    track_.pendingUnits += static_cast<std::int32_t>(units);
    if (track_.pendingNote < 0) return true;

    auto length = static_cast<std::uint32_t>(track_.pendingUnits);
    switch (track_.channel) {
        case kSquare1:
        case kSquare2:
        case kTriangle:
            program_->WriteTonalNote(track_.pendingNote, length);
            break;
        case kNoise:
        case kDpcm:
            // One label per pitch class: the label names only the pitch class,
            // so notes an octave apart share it and it is defined once.
            program_->WritePercussionNote(track_.pendingNote, length,
                                          labels_.FirstUse(track_.channel, track_.pendingNote % 12));
            break;
        default:
            break;  // the conductor track has no stream
    }
    track_.pendingNote = -1;
    track_.pendingUnits = 0;
    return true;
}

}  // namespace kelvane
