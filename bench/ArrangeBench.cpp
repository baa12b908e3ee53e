// Arranging plus the engine's measure of the arranged song, in memory.
// bytes_per_second is MIDI data read.
#include <benchmark/benchmark.h>

#include "Arrange.h"
#include "BandSong.h"
#include "BenchSupport.h"

namespace kelvane::bench {
namespace {

void ArrangeSong(benchmark::State& state, const Bytes& song) {
    arrange::VoiceAssignment automatic;
    for (auto _ : state) {
        arrange::ArrangeResult result = arrange::Arrange(song, automatic);
        if (!result.ok) state.SkipWithError(result.error.c_str());
        benchmark::DoNotOptimize(result.midi.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * song.size()));
    state.counters["midi_bytes"] = static_cast<double>(song.size());
}

// Six instruments in eight tracks: roles, skyline, drums and the fit all work.
void BM_ArrangeBand(benchmark::State& state) {
    static const Bytes song = BandSong(kLargeSongSize);
    ArrangeSong(state, song);
}
BENCHMARK(BM_ArrangeBand)->Unit(benchmark::kMillisecond);

// The conversion benchmark's song, already in the driver's layout.
void BM_ArrangeLarge(benchmark::State& state) {
    static const Bytes song = LargeSong(kLargeSongSize);
    ArrangeSong(state, song);
}
BENCHMARK(BM_ArrangeLarge)->Unit(benchmark::kMillisecond);

void BM_ArrangeExample(benchmark::State& state) {
    static const Bytes song = ExampleSong();
    ArrangeSong(state, song);
}
BENCHMARK(BM_ArrangeExample);

}  // namespace
}  // namespace kelvane::bench

BENCHMARK_MAIN();
