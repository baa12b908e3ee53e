// What the NSF and the WAV preview cost: a conversion with and without
// writing the NSF beside it, and the WAV of a three-minute song.
//
// Counters: nsf_bytes (the file written); song_seconds (the song's length,
// for the real-time factor of a render).
#include <benchmark/benchmark.h>

#include <sstream>

#include "BenchSupport.h"
#include "Converter.h"
#include "MemoryFileSystem.h"
#include "MidiBuilder.h"
#include "Nsf.h"
#include "SongLength.h"
#include "Wav.h"

namespace kelvane::bench {
namespace {

constexpr char kNsfPath[] = "/music/song.nsf";
constexpr std::size_t kSongBlockInImage = 0x78000;

// The song block of a conversion of `midi`, with the NSF's label values.
Bytes SongBlockOf(const Bytes& midi) {
    QuietFrontEnd frontEnd;
    DiscardingFileSystem files;  // holds pointers to the inputs
    const Bytes image = Template();
    files.Put(kTemplatePath, image);
    files.Put(kSongPath, midi);
    Converter converter(frontEnd, files);
    converter.Run(BenchRequest());
    Bytes block(kSongBlockSize, 0xFF);
    converter.EmitSongBlock(NsfLabelValues(), block.data());
    return block;
}

struct Fixture {
    Bytes song;
    Bytes image = Template();
    QuietFrontEnd frontEnd;
    DiscardingFileSystem files;
    Converter converter{frontEnd, files};

    explicit Fixture(Bytes midi) : song(std::move(midi)) {
        files.Put(kTemplatePath, image);
        files.Put(kSongPath, song);
    }
};

// The conversion alone, and with the NSF built and written through a
// replacing sink as --nsf does: the song block emitted again with the NSF's
// label values, the file made and written.
void Convert(benchmark::State& state, Fixture& fixture, bool withNsf) {
    std::size_t nsfBytes = 0;
    for (auto _ : state) {
        bool ok = fixture.converter.Run(BenchRequest()).succeeded;
        if (withNsf) {
            Bytes nsf = NsfFrame("song");
            fixture.converter.EmitSongBlock(NsfLabelValues(), nsf.data() + kNsfHeaderSize);
            auto sink = fixture.files.CreateReplacing(kNsfPath);
            ok = ok && sink->Write(nsf.data(), nsf.size()) && sink->Close();
            nsfBytes = nsf.size();
        }
        benchmark::DoNotOptimize(ok);
    }
    state.counters["nsf_bytes"] = static_cast<double>(nsfBytes);
}

Fixture& ExampleFixture() {
    static Fixture fixture(ExampleSong());
    return fixture;
}

void BM_NsfConvertExample(benchmark::State& state) { Convert(state, ExampleFixture(), false); }
BENCHMARK(BM_NsfConvertExample);

void BM_NsfConvertExampleWritingNsf(benchmark::State& state) { Convert(state, ExampleFixture(), true); }
BENCHMARK(BM_NsfConvertExampleWritingNsf);

Fixture& LargeFixture() {
    static Fixture fixture(LargeSong(kLargeSongSize));
    return fixture;
}

void BM_NsfConvertLarge(benchmark::State& state) { Convert(state, LargeFixture(), false); }
BENCHMARK(BM_NsfConvertLarge)->Unit(benchmark::kMillisecond);

void BM_NsfConvertLargeWritingNsf(benchmark::State& state) { Convert(state, LargeFixture(), true); }
BENCHMARK(BM_NsfConvertLargeWritingNsf)->Unit(benchmark::kMillisecond);

// Three minutes on all five channels: eighth notes on the squares and the
// triangle, a hit every quarter on Noise and DPCM. At 120 bpm a unit lasts
// 3 frames, so 375 quarters (3000 units) take 180 s.
Bytes ThreeMinuteSong() {
    constexpr int kQuarters = 375;
    test::MidiFile file;
    file.Add(test::Track().Tempo(0, 500000).End(0));
    static const int kLine[] = {0, 4, 7, 12, 7, 4, 2, 5, 9, 11, 14, 9};
    for (int channel = 1; channel <= 5; ++channel) {
        test::Track track;
        bool drums = channel >= 4;
        int base = channel == 3 ? 48 : 55 + 5 * channel;
        for (int i = 0; i < kQuarters * (drums ? 1 : 2); ++i) {
            int note = drums ? 36 + i % 12 : base + kLine[i % 12];
            track.NoteOn(0, note).NoteOff(drums ? 480 : 240, note);
        }
        file.Add(track.End(0));
    }
    return file.Build();
}

void BM_WavThreeMinutes(benchmark::State& state) {
    static const Bytes block = SongBlockOf(ThreeMinuteSong());
    static const Bytes nsf = BuildNsf(block, "song");
    const std::uint64_t frames = MeasureSong(block).frames;
    for (auto _ : state) {
        Bytes wav;
        std::string error;
        if (!RenderPreviewWav(nsf, frames, wav, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(wav.data());
    }
    state.counters["song_seconds"] = static_cast<double>(frames) / kFramesPerSecond;
}
BENCHMARK(BM_WavThreeMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvane::bench

BENCHMARK_MAIN();
