// What the benchmarks share: the songs they convert, and a file system that
// holds the inputs and throws the outputs away, so that a timed conversion
// measures the engine and not the bookkeeping of a file system in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Converter.h"
#include "FileSystem.h"
#include "FrontEnd.h"

namespace kelvane::bench {

using Bytes = std::vector<std::uint8_t>;

constexpr char kProgramDirectory[] = "/prog/";
constexpr char kTemplatePath[] = "/prog/RZ31ST.bin";
constexpr char kRomPath[] = "/prog/ROM.BIN";
constexpr char kSongPath[] = "/music/song.mid";

// The request for the song above, reading the template and writing the image
// at the paths above.
ConversionRequest BenchRequest();

// Shows nothing and keeps nothing, so a run costs the same the millionth time.
class QuietFrontEnd : public FrontEnd {
public:
    void ShowMessage(const std::string&) override {}
    void ReplaceStatusText(const std::string&, const std::string&) override {}
    void SetProgressRange(int) override {}
    void SetProgressStep(int) override {}
    void StepProgress() override {}
};

// What one run wrote, by path: byte and line counts only.
struct OutputCounts {
    std::size_t bytes = 0;
    std::size_t lines = 0;
};

// Inputs are read from the caller's buffers; outputs are counted, not kept.
// Counting lines looks at every byte, so it is off unless asked for.
class DiscardingFileSystem : public FileSystem {
public:
    void Put(const std::string& path, const Bytes& data) { inputs_[path] = &data; }
    void CountOutputs(bool on) { counting_ = on; }
    const std::map<std::string, OutputCounts>& Outputs() const { return outputs_; }

    ReadResult ReadWhole(const std::string& path, std::uint64_t maxSize, std::vector<std::uint8_t>& data) override;
    bool ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) override;
    std::unique_ptr<ByteSink> CreateReplacing(const std::string& path) override;

private:
    std::map<std::string, const Bytes*> inputs_;
    std::map<std::string, OutputCounts> outputs_;
    bool counting_ = false;
};

// The 512 KB template, any content.
Bytes Template();

// examples/example.mid as the build found it.
Bytes ExampleSong();

// A dense six-track song of at least `size` bytes: tempo changes on the
// conductor track; on the five channels notes with and without running
// status, volume and program changes, and a lyric on every Square1 note.
// `events`, when given, receives the number of events in it.
Bytes LargeSong(std::size_t size, std::size_t* events = nullptr);
constexpr std::size_t kLargeSongSize = 1 << 20;

}  // namespace kelvane::bench
