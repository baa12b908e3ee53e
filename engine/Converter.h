// One engine entry point for both front ends: a Converter lives as long as its
// front end (the dialog or the command line) and runs one conversion per call
// of Run, in three stages: read the MIDI file, translate each track into a
// channel program, emit the programs as text, song block and lyric table.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ConversionReport.h"
#include "FileSystem.h"
#include "FrontEnd.h"
#include "LabelValues.h"

namespace kelvane {

// A MIDI file as its header announces it.
struct MidiHeader {
    int trackCount = 0;
    int division = 0;
};

struct ConversionRequest {
    std::string midiPath;      // UTF-8; the outputs are named after it
    std::string songName;      // UTF-8; the prefix of every label
    std::string templatePath;  // the template ROM, resolved by the front end
    std::string romPath;       // the image to write, resolved by the front end
    // When set, these bytes are converted in the place of the file's own (an
    // arranged song); the outputs are still named after `midiPath`.
    const std::vector<std::uint8_t>* midiData = nullptr;
    // Set when `midiData` is an arrangement of the file at `midiPath`: that
    // file's header. The status header and the report then describe the
    // user's file, not the arranged one, and the arrangement's line follows
    // the header.
    const MidiHeader* arrangedFrom = nullptr;
    // With `arrangedFrom`: the rests the arrangement wrote per voice (Square1
    // to DPCM) as notes at volume 0. They are counted apart from the notes.
    const std::array<std::uint32_t, ConversionReport::kVoices>* arrangedRests = nullptr;
};

class Converter {
public:
    Converter(FrontEnd& frontEnd, FileSystem& files);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // One conversion. The report's `succeeded` is true when it ended with the
    // success line.
    ConversionReport Run(const ConversionRequest& request);

    // The last run's song block emitted again with other label values (for a
    // player: the NSF) into 32 KB of the caller's from $8000, filled with end
    // bytes ($FF) beforehand, so that a channel the song lacks points at one.
    void EmitSongBlock(const LabelValues& labels, std::uint8_t* block) const;

    // The status text as the front end was last told it.
    std::string StatusText() const;

private:
    struct State;
    std::unique_ptr<State> run_;
};

}  // namespace kelvane
