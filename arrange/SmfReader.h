// The tolerant reader: reads what a common player reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Score.h"

namespace kelvane::arrange {

// Formats 0, 1 and 2 with any number of track chunks (format 2: one after
// another in time); SMPTE divisions; running status across meta and
// system-exclusive events; system common and real-time bytes skipped; a chunk
// cut short read up to the cut; chunks other than "MTrk" skipped; a RIFF
// wrapper around the file. False, with Chinese words in `error`, only when
// there is no MIDI header at all.
bool ReadScore(const std::uint8_t* data, std::size_t size, Score& score, std::string& error);

}  // namespace kelvane::arrange
