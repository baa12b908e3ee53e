// Any bytes through the arrangement and then the engine: the arrangement
// never crashes, hangs or reads outside the data; what it writes always
// converts, never past the song block, and costs the bytes it says.
#include <cstdio>
#include <cstdlib>

#include "Analyze.h"
#include "Arrange.h"

namespace {

// The input's length picks one of a few voice specs, so the same bytes stay
// one input and every spec sees every kind of file.
const char* const kSpecs[] = {"", "dpcm=none", "square1=c1,noise=c10", "triangle=t1+t2,square2=none"};

[[noreturn]] void Broken(const char* rule) {
    std::fprintf(stderr, "arrange_fuzzer: %s\n", rule);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane;
    arrange::VoiceAssignment assignment;
    std::string error;
    if (!arrange::ParseVoiceSpec(kSpecs[size % 4], assignment, error)) Broken("a fixed spec did not parse");
    arrange::ArrangeResult result = arrange::Arrange(std::vector<std::uint8_t>(data, data + size), assignment);
    if (!result.ok) {
        if (result.error != "MIDI文件无法识别" && result.error != "MIDI文件中没有音符" &&
            result.error != "编排后没有能播放的音符")
            Broken("refused without the words");
        return 0;
    }
    ConversionReport check = AnalyzeSong(result.midi);
    if (check.refused || !check.succeeded) Broken("the arranged song did not convert");
    if (check.songBlockFull || check.songBlockUsed > ConversionReport::kSongBlockSize) Broken("past the song block");
    std::size_t predicted = 14;
    for (const auto& voice : result.report.voices) predicted += voice.bytes;
    if (predicted != check.songBlockUsed || result.report.songBlockUsed != check.songBlockUsed)
        Broken("the measured song-block use differs from the engine's");
    return 0;
}
