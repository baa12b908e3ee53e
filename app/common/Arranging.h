// The front ends' arrangement step: a MIDI file read, arranged with a
// voice spec, and, when asked, the arranged file written beside it for a
// sequencer. The caller converts the returned bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Arrange.h"
#include "Converter.h"
#include "FileSystem.h"

namespace kelvane {

struct ArrangedFile {
    bool ok = false;
    std::string error;               // Chinese words for the user, when not ok
    std::vector<std::uint8_t> midi;  // the arranged file; kept when only its saving failed
    arrange::ArrangementReport report;
    MidiHeader source;               // the user's file, which the status header describes

    // Has `request` convert the arranged file in the place of the user's,
    // named and described after the user's. This must outlive the run.
    void Into(ConversionRequest& request) const {
        request.midiData = &midi;
        request.arrangedFrom = &source;
        request.arrangedRests = &report.restsKept;
    }
};

// Reads `midiPath`, arranges it with `voiceSpec` ("" arranges every voice as
// usual) and, when `savePath` is not empty, writes the arranged file there
// through a temporary file and a rename, so a failed write leaves the old
// file as it was.
ArrangedFile ArrangeMidiFile(FileSystem& files, const std::string& midiPath, const std::string& voiceSpec,
                             const std::string& savePath, const arrange::ArrangeOptions& options = {});

}  // namespace kelvane
