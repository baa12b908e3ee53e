// Voice names and the arrangement's share of a conversion report.
#include "Arrange.h"

#include "SongTables.h"

namespace kelvane::arrange {

const char* VoiceName(int voice) {
    static const char* const kNames[kVoiceCount] = {"Square1", "Square2", "Triangle", "Noise", "DPCM"};
    return voice >= 0 && voice < kVoiceCount ? kNames[voice] : "";
}

const char* VoiceNameZh(int voice) {
    return voice >= 0 && voice < kVoiceCount ? kelvane::kChannelNamesZh[voice + 1] : "";
}

void ArrangementReport::ApplyTo(kelvane::ConversionReport& report) const {
    for (int v = 0; v < kVoiceCount; ++v) {
        const VoiceArrangement& mine = voices[static_cast<std::size_t>(v)];
        kelvane::VoiceReport& theirs = report.voices[static_cast<std::size_t>(v)];
        if (theirs.voice.empty()) theirs.voice = VoiceName(v);
        theirs.sources = mine.sources;
        theirs.reason = mine.reason;
        theirs.droppedShort = mine.droppedShort;
        theirs.droppedFit = mine.droppedFit;
        theirs.movedOctave = mine.movedOctave;
        theirs.CountRestsApart(restsKept[static_cast<std::size_t>(v)]);
    }
    report.midiSeconds = sourceSeconds;
    report.speed = report.seconds > 0 ? sourceSeconds / report.seconds : 0;
    report.movedShare = movedShare;
    report.rests = rests;
    report.warnings.insert(report.warnings.end(), warnings.begin(), warnings.end());
    report.arranged = true;
}

}  // namespace kelvane::arrange
