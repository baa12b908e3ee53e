#include "TranslationReport.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace kelvane {

void ReportTranslation(const TranslatedSong& translated, const SongBlock& block, ConversionReport& report) {
    report.translated = true;
    for (int i = 0; i < translated.trackCount; ++i) {
        const ChannelProgram& program = translated.programs[static_cast<std::size_t>(i)];
        report.fileNotes += program.noteOns;
        if (!program.chunkRead) report.problems.push_back({i, TrackProblem::Kind::kBadChunk});
        else if (!program.translated) report.problems.push_back({i, TrackProblem::Kind::kBadData});
        if (block.overflowTrack == i) report.problems.push_back({i, TrackProblem::Kind::kBlockFull});
        if (i == 0) {
            report.conductorNotes = program.noteOns;
            continue;
        }
        VoiceReport& voice = report.voices[static_cast<std::size_t>(i - 1)];
        voice.notes = program.notes;
        voice.droppedOverlap = program.droppedOverlap;
        voice.droppedZeroLength = program.droppedZeroLength;
        voice.bytes = block.streamBytes[static_cast<std::size_t>(i)];
        report.units = std::max(report.units, static_cast<std::uint32_t>(std::min<std::uint64_t>(program.units, UINT32_MAX)));
    }
    report.songBlockUsed = block.used;
    report.songBlockFull = block.overflowTrack >= 0;
    std::copy(std::begin(translated.tempo), std::end(translated.tempo), report.tempo.begin());
    report.seconds = SongSeconds(report.units, translated.tempo);
    int frames = 0;
    for (int steps : translated.tempo) frames += steps - 1;
    report.unitMs = frames * 20.0 / 4;
    // A unit is an eighth of a quarter note at the tempo the rule read.
    const double unitMicros = translated.tempoMicros / 8.0;
    report.midiSeconds = report.units * unitMicros / 1e6;
    report.speed = frames > 0 ? unitMicros / (report.unitMs * 1000) : 0;
}

}  // namespace kelvane
