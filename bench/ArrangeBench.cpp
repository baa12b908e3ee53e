// Arranging plus the engine's measure of the arranged song, in memory.
// bytes_per_second is MIDI data read.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>

#include "Arrange.h"
#include "BandSong.h"
#include "BenchSupport.h"
#include "WorstShapes.h"

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

// The worst shapes at 1 MB and 8 MB, made when first timed so that a run
// filtered to other rows does not build them: BM_ArrangeWorst/<shape>/<MB>.
void RegisterWorstShapes() {
    for (Shape shape : kShapes) {
        for (std::size_t megabytes : {1u, 8u}) {
            const std::string name = "BM_ArrangeWorst/" + ShapeFileName(shape) + "/" + std::to_string(megabytes);
            benchmark::RegisterBenchmark(name.c_str(), [shape, megabytes](benchmark::State& state) {
                static std::map<std::pair<Shape, std::size_t>, Bytes> songs;
                auto key = std::make_pair(shape, megabytes);
                auto found = songs.find(key);
                if (found == songs.end()) found = songs.emplace(key, WorstShapeSong(shape, megabytes << 20)).first;
                ArrangeSong(state, found->second);
            })->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace
}  // namespace kelvane::bench

int main(int argc, char** argv) {
    kelvane::bench::RegisterWorstShapes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
