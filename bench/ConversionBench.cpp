// Whole conversions in memory, and the variable-length reader on its own.
//
// Rates: bytes_per_second is MIDI data read; asm_lines is assembler lines
// written per second (.asm, .h and .lrc together).
#include <benchmark/benchmark.h>

#include <iostream>
#include <random>
#include <sstream>

#include "BenchSupport.h"
#include "Converter.h"
#include "MemoryFileSystem.h"
#include "MidiBuilder.h"
#include "TrackCursor.h"

namespace kelvane::bench {
namespace {

struct Fixture {
    Bytes song;
    Bytes image = Template();
    QuietFrontEnd frontEnd;
    DiscardingFileSystem files;
    Converter converter{frontEnd, files};
    std::size_t lines = 0;

    explicit Fixture(Bytes midi) : song(std::move(midi)) {
        files.Put(kTemplatePath, image);
        files.Put(kSongPath, song);
        // One counted run for the line figure; the timed runs count nothing.
        files.CountOutputs(true);
        converter.Run(BenchRequest());
        for (const auto& output : files.Outputs())
            if (output.first != kRomPath) lines += output.second.lines;
        files.CountOutputs(false);
    }
};

void Report(benchmark::State& state, std::size_t midiBytes, std::size_t lines) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * midiBytes));
    state.counters["asm_lines"] = benchmark::Counter(static_cast<double>(lines),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    state.counters["midi_bytes"] = static_cast<double>(midiBytes);
}

void Convert(benchmark::State& state, Fixture& fixture) {
    for (auto _ : state) {
        bool ok = fixture.converter.Run(BenchRequest()).succeeded;
        benchmark::DoNotOptimize(ok);
    }
    Report(state, fixture.song.size(), fixture.lines);
}

void BM_ConvertExample(benchmark::State& state) {
    static Fixture fixture(ExampleSong());
    Convert(state, fixture);
}
BENCHMARK(BM_ConvertExample);

void BM_ConvertLarge(benchmark::State& state) {
    static Fixture fixture(LargeSong(kLargeSongSize));
    Convert(state, fixture);
}
BENCHMARK(BM_ConvertLarge)->Unit(benchmark::kMillisecond);

// The same song through the tests' file system, whose outputs grow as
// vectors in a map: the difference is the cost of keeping the outputs.
void BM_ConvertLargeKeepingOutputs(benchmark::State& state) {
    static const Bytes song = LargeSong(kLargeSongSize);
    static Fixture counted(song);
    QuietFrontEnd frontEnd;
    test::MemoryFileSystem files;
    files.Put(kTemplatePath, Template());
    files.Put(kSongPath, song);
    Converter converter(frontEnd, files);
    for (auto _ : state) {
        bool ok = converter.Run(BenchRequest()).succeeded;
        benchmark::DoNotOptimize(ok);
    }
    Report(state, song.size(), counted.lines);
}
BENCHMARK(BM_ConvertLargeKeepingOutputs)->Unit(benchmark::kMillisecond);

// Quantities of one to four bytes in a mix that a dense song has: mostly
// one-byte delta times, some two-byte ones, a few longer.
Bytes MixedQuantities(std::size_t count) {
    std::mt19937 engine(7);
    auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t pick = random() % 100;
        std::uint32_t value = pick < 60 ? random() % 0x80
                              : pick < 90 ? 0x80 + random() % (0x4000 - 0x80)
                              : pick < 97 ? 0x4000 + random() % (0x200000 - 0x4000)
                                          : 0x200000 + random() % (0x10000000 - 0x200000);
        test::PutVarLen(out, value);
    }
    return out;
}

void BM_ReadVarLen(benchmark::State& state) {
    constexpr std::size_t kCount = 1 << 16;
    static const Bytes buffer = MixedQuantities(kCount);
    auto reader = std::make_unique<TrackCursor>();
    reader->data = buffer.data();
    for (auto _ : state) {
        reader->position = 0;
        reader->end = buffer.size();
        std::uint32_t sum = 0;
        std::uint32_t value;
        while (reader->ReadVarLen(value)) sum += value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
    state.counters["quantities"] =
        benchmark::Counter(static_cast<double>(kCount), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadVarLen);

}  // namespace
}  // namespace kelvane::bench

BENCHMARK_MAIN();
