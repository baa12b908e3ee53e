// A conversion in memory, without files: what the streams of a MIDI file
// would hold. The arrangement uses it to make a song fit the song block.
#pragma once

#include <cstdint>
#include <vector>

#include "ConversionReport.h"

namespace kelvane {

// Reads and translates `midi` as a run would, with every label $00, and
// reports it. A file the run would refuse gives `refused` and its message.
ConversionReport AnalyzeSong(const std::vector<std::uint8_t>& midi);

}  // namespace kelvane
