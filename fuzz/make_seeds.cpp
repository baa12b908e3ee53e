// Writes the seed corpus from our own songs: SEEDS/conversion holds each
// generated song and the example song as they are; SEEDS/arrange holds the
// benchmarks' worst shapes for the arrangement, small and just under 1 MB,
// so that a path slower than the input grows shows as a timeout;
// SEEDS/template holds the songs behind the two set-up bytes of
// template_fuzzer, and the small song behind every template choice and a
// fault of every file; SEEDS/name holds paths.
//   make_seeds SEEDS EXAMPLE.mid
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "GeneratedSongs.h"
#include "WorstShapes.h"

namespace {

namespace fs = std::filesystem;
using kelvane::test::Bytes;

bool Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes Behind(std::uint8_t templateChoice, std::uint8_t fault, const Bytes& midi) {
    Bytes input = {templateChoice, fault};
    input.insert(input.end(), midi.begin(), midi.end());
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds SEEDS EXAMPLE.mid\n");
        return 2;
    }
    const fs::path seeds = argv[1];
    std::ifstream example(argv[2], std::ios::binary);
    if (!example) {
        std::fprintf(stderr, "make_seeds: cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<kelvane::test::GeneratedSong> songs = kelvane::test::GeneratedSongs();
    songs.push_back({"example", Bytes(std::istreambuf_iterator<char>(example), std::istreambuf_iterator<char>())});

    fs::create_directories(seeds / "conversion");
    fs::create_directories(seeds / "arrange");
    fs::create_directories(seeds / "template");
    fs::create_directories(seeds / "name");
    bool good = true;
    for (const auto& song : songs) {
        good = Write(seeds / "conversion" / (song.name + ".mid"), song.midi) && good;
        good = Write(seeds / "template" / song.name, Behind(0, 0, song.midi)) && good;
    }
    // The fuzzers read at most 1 MB of an input; the generator may overshoot
    // its size by a note.
    constexpr std::size_t kLargest = (1u << 20) - 256;
    for (kelvane::bench::Shape shape : kelvane::bench::kShapes) {
        for (std::size_t size : {std::size_t{4096}, kLargest}) {
            std::string name = kelvane::bench::ShapeFileName(shape) + "-" + std::to_string(size / 1024) + "k.mid";
            good = Write(seeds / "arrange" / name, kelvane::bench::WorstShapeSong(shape, size)) && good;
        }
    }
    const Bytes small = kelvane::test::SmallSong();
    for (std::uint8_t choice = 1; choice < 8; ++choice)
        good = Write(seeds / "template" / ("small-template-" + std::to_string(choice)), Behind(choice, 0, small)) && good;
    for (std::uint8_t file = 0; file < 5; ++file) {
        for (std::uint8_t kind = 4; kind < 8; ++kind) {
            std::string name = "small-fault-" + std::to_string(file) + "-" + std::to_string(kind);
            good = Write(seeds / "template" / name, Behind(0, static_cast<std::uint8_t>(file << 4 | kind), small)) && good;
        }
    }
    const char* const paths[] = {"/music/song.mid", "/music/song.live.mid", "/music.old/song", ".mid",
                                 "/music/\xE6\xAD\x8C.mid", "/music/caf\xC3\xA9 \xF0\x9F\x8E\xB5.mid",
                                 "C:\\music\\song.mid", "/music/\xFF\xC0\x80.mid"};
    int index = 0;
    for (const char* path : paths) {
        std::string text(path);
        good = Write(seeds / "name" / ("path-" + std::to_string(index++)), Bytes(text.begin(), text.end())) && good;
    }
    if (!good) std::fprintf(stderr, "make_seeds: cannot write under %s\n", argv[1]);
    return good ? 0 : 1;
}
