// The report's counts of a translated song and its song block.
#pragma once

#include "ConversionReport.h"
#include "SongBlock.h"
#include "TranslatedSong.h"

namespace kelvane {

// Per voice: notes, drops and bytes; the problems of each track in track
// order; the block's use; the length and the tempo.
void ReportTranslation(const TranslatedSong& translated, const SongBlock& block, ConversionReport& report);

}  // namespace kelvane
