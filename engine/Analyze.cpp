// A first cut of the in-memory analysis over the run itself: the song block
// use and the refusal. The per-voice counts come with the staged engine.
#include "Analyze.h"

#include <map>
#include <sstream>

#include "ConversionState.h"
#include "SongImage.h"

namespace kelvane {
namespace {

class Discard : public ByteSink {
public:
    bool Write(const void*, std::size_t) override { return true; }
    bool Close() override { return true; }
};

class MemoryInputs : public FileSystem {
public:
    std::map<std::string, std::vector<std::uint8_t>> inputs;
    bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& data) override {
        auto it = inputs.find(path);
        if (it == inputs.end()) return false;
        data = it->second;
        return true;
    }
    std::unique_ptr<ByteSink> Create(const std::string&) override { return std::make_unique<Discard>(); }
    std::unique_ptr<ByteSink> CreateReplacing(const std::string&) override { return std::make_unique<Discard>(); }
};

class Silent : public FrontEnd {
public:
    std::string message;
    void ShowMessage(const std::string& text) override { if (message.empty()) message = text; }
    void ReplaceStatusText(const std::string&, const std::string&) override {}
    void SetProgressRange(int) override {}
    void SetProgressStep(int) override {}
    void StepProgress() override {}
    std::string ProgramDirectory() override { return "/"; }
};

}  // namespace

ConversionReport AnalyzeSong(const std::vector<std::uint8_t>& midi) {
    MemoryInputs files;
    files.inputs["/song.mid"] = midi;
    files.inputs["/RZ31ST.bin"] = std::vector<std::uint8_t>(SongImage::kImageSize);
    Silent ui;
    std::ostringstream console;
    ConversionState state(ui, files, console);
    ConversionReport report;
    report.succeeded = state.Run("/song.mid", "song");
    report.message = ui.message;
    report.refused = !ui.message.empty();
    report.songBlockFull = state.overflowTrack >= 0;
    report.songBlockUsed = report.songBlockFull ? ConversionReport::kSongBlockSize + 1
                                                : static_cast<std::size_t>(state.writeCursor - SongImage::kBlockStart);
    return report;
}

}  // namespace kelvane
