#include "BenchSupport.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "MidiBuilder.h"

namespace kelvane::bench {
namespace {

class DiscardingSink : public ByteSink {
public:
    explicit DiscardingSink(OutputCounts* counts) : counts_(counts) {}
    bool Write(const void* data, std::size_t size) override {
        if (counts_) {
            auto* text = static_cast<const char*>(data);
            counts_->bytes += size;
            counts_->lines += static_cast<std::size_t>(std::count(text, text + size, '\n'));
        }
        return true;
    }
    bool Close() override { return true; }

private:
    OutputCounts* counts_;
};

}  // namespace

ConversionRequest BenchRequest() {
    ConversionRequest request;
    request.midiPath = kSongPath;
    request.songName = "song";
    request.templatePath = kTemplatePath;
    request.romPath = kRomPath;
    return request;
}

FileSystem::ReadResult DiscardingFileSystem::ReadWhole(const std::string& path, std::uint64_t maxSize,
                                                       std::vector<std::uint8_t>& data) {
    auto found = inputs_.find(path);
    if (found == inputs_.end()) return ReadResult::kCannotOpen;
    if (found->second->size() > maxSize) return ReadResult::kTooLarge;
    data.assign(found->second->begin(), found->second->end());
    return ReadResult::kRead;
}

bool DiscardingFileSystem::ReadPrefix(const std::string& path, std::size_t size, ImageBuffer& data) {
    auto found = inputs_.find(path);
    if (found == inputs_.end()) return false;
    // One copy into the buffer, as a read from disk fills it.
    data.resize(std::min(size, found->second->size()));
    if (!data.empty()) std::memcpy(data.data(), found->second->data(), data.size());
    return true;
}

std::unique_ptr<ByteSink> DiscardingFileSystem::CreateReplacing(const std::string& path) {
    OutputCounts* counts = nullptr;
    if (counting_) {
        counts = &outputs_[path];
        *counts = OutputCounts();
    }
    return std::make_unique<DiscardingSink>(counts);
}

Bytes Template() { return Bytes(0x80000, 0xFF); }

Bytes ExampleSong() {
    std::ifstream in(KELVANE_EXAMPLE_SONG, std::ios::binary);
    Bytes song((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (song.empty()) throw std::runtime_error("cannot read " KELVANE_EXAMPLE_SONG);
    return song;
}

namespace {

constexpr std::uint32_t kDivision = 480;
constexpr std::uint32_t kEighth = kDivision / 2;
constexpr std::uint32_t kSixteenth = kDivision / 4;

// Pitches that stay in range on every channel, the triangle's two octaves
// below included.
int PitchOf(int channel, std::size_t n) {
    static const int kLine[] = {0, 4, 7, 12, 7, 4, 2, 5, 9, 11, 14, 9};
    int base = channel == 3 ? 36 : channel >= 4 ? 35 : 48 + 5 * channel;
    return base + kLine[n % (sizeof kLine / sizeof kLine[0])];
}

test::Track ChannelTrack(int channel, std::size_t size, std::size_t& events) {
    static const char* const kWords[] = {"la", "li", "lu", "do", "re", "mi!", "fa", "so."};
    test::Track track;
    for (std::size_t n = 0; track.Events().size() < size; ++n) {
        if (n % 64 == 0) {
            track.Program(0, static_cast<int>(n / 64 % 128));
            ++events;
        }
        if (n % 8 == 0) {
            track.Controller(0, n % 16 == 0 ? 7 : 11, static_cast<int>(n * 5 % 128));
            ++events;
        }
        if (channel == 1) {
            track.Lyric(0, kWords[n % 8]);
            ++events;
        }
        int pitch = PitchOf(channel, n);
        // Every fourth note starts after a rest; a long delta takes two bytes.
        track.NoteOn(n % 4 == 3 ? kEighth : 0, pitch);
        if (n % 2 == 0) {
            track.NoteOff(kSixteenth, pitch);
        } else {
            track.Raw({static_cast<std::uint8_t>(pitch), 0}, kSixteenth);  // running status
        }
        events += 2;
    }
    track.End(0);
    ++events;
    return track;
}

test::Track ConductorTrack(std::size_t size, std::size_t& events) {
    test::Track track;
    track.DeviceName(0, "Kelvane bench");
    events += 1;
    for (std::uint32_t n = 0; track.Events().size() < size; ++n) {
        track.Tempo(n == 0 ? 0 : kDivision, 400000 + 1000 * (n % 200));
        ++events;
    }
    track.End(0);
    ++events;
    return track;
}

}  // namespace

Bytes LargeSong(std::size_t size, std::size_t* events) {
    std::size_t count = 0;
    test::MidiFile file;
    file.Division(kDivision);
    std::size_t conductorSize = size / 20;
    std::size_t channelSize = (size - conductorSize) / 5;
    file.Add(ConductorTrack(conductorSize, count));
    for (int channel = 1; channel <= 5; ++channel) file.Add(ChannelTrack(channel, channelSize, count));
    if (events) *events = count;
    return file.Build();
}

}  // namespace kelvane::bench
