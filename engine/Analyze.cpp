#include "Analyze.h"

#include <memory>

#include "Messages.h"
#include "MidiFile.h"
#include "SongBlock.h"
#include "TranslatedSong.h"
#include "TranslationReport.h"

namespace kelvane {

ConversionReport AnalyzeSong(const std::vector<std::uint8_t>& midi) {
    ConversionReport report;
    MidiSong song;
    switch (ReadMidiSong(midi, song)) {
        case HeaderProblem::kNone:
            break;
        case HeaderProblem::kNotMidi:
            report.refused = true;
            report.message = msg::kNotMidi;
            return report;
        case HeaderProblem::kUnsupportedFormat:
            report.refused = true;
            report.message = msg::kUnsupportedFormat;
            return report;
    }
    report.trackCount = song.trackCount;
    report.division = song.division;
    if (song.trackCount > kMaxTracks) {
        report.refused = true;
        report.message = msg::kTooManyTracks;
        return report;
    }
    auto translated = std::make_unique<TranslatedSong>();
    auto lyrics = std::make_unique<LyricList>();
    TranslateSong(midi, song, *translated, *lyrics, [] {});
    std::vector<std::uint8_t> bytes(SongBlock::kSize);
    LabelValues zero;
    SongBlock block(bytes.data(), zero);
    block.Emit(*translated);

    ReportTranslation(*translated, block, report);
    report.succeeded = report.problems.empty();
    return report;
}

}  // namespace kelvane
