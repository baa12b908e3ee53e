// The files one run writes: .asm and .h beside the MIDI file, and the image
// made from the template.
#include "ConversionState.h"
#include "Messages.h"
#include "SongName.h"

namespace kelvane {
namespace {

constexpr char kTemplateName[] = "RZ31ST.bin";
constexpr char kRomName[] = "ROM.BIN";

}  // namespace

std::string ConversionState::TemplatePath() const {
    return templatePathOverride.empty() ? frontEnd.ProgramDirectory() + kTemplateName
                                        : templatePathOverride;
}

std::string ConversionState::RomPath() const {
    return romPathOverride.empty() ? frontEnd.ProgramDirectory() + kRomName : romPathOverride;
}

bool ConversionState::OpenOutputSet() {
    std::string base = BasePathOfPath(midiPath);
    asmPath = base + ".asm";
    hPath = base + ".h";
    lrcPath = base + ".lrc";

    auto giveUp = [this](const char* message) {
        AbandonOutputSet();
        frontEnd.ShowMessage(message);
        return false;
    };

    // A MIDI file named like one of its own outputs (tune.asm) would be
    // overwritten by it and lost.
    for (const std::string* output : {&asmPath, &hPath, &lrcPath}) {
        if (files.SameFile(*output, midiPath)) return giveUp(msg::kCannotCreateOutput);
    }

    std::unique_ptr<ByteSink> sink = files.Create(asmPath);
    if (!sink) return giveUp(msg::kCannotCreateOutput);
    asmFile.Open(std::move(sink));
    sink = files.Create(hPath);
    if (!sink) return giveUp(msg::kCannotCreateOutput);
    hFile.Open(std::move(sink));

    // A template too short to hold the song block is as good as none.
    if (!files.ReadWhole(TemplatePath(), songImage.bytes) ||
        songImage.bytes.size() < SongImage::kImageSize)
        return giveUp(msg::kCannotOpenTemplate);

    if (files.SameFile(RomPath(), midiPath)) return giveUp(msg::kCannotCreateOutput);
    romFile = files.CreateReplacing(RomPath());
    if (!romFile) return giveUp(msg::kCannotCreateOutput);
    return true;
}

// Closes what the output set opened; the text files stay on disk, and the
// image is never renamed over "ROM.BIN".
void ConversionState::AbandonOutputSet() {
    asmFile.Abandon();
    hFile.Abandon();
    romFile.reset();
    songImage.bytes = std::vector<std::uint8_t>();
}

bool ConversionState::CloseTextFiles() {
    bool asmClosed = asmFile.Close();
    bool hClosed = hFile.Close();
    return asmClosed && hClosed;
}

bool ConversionState::WriteRomImage() {
    bool written = romFile->Write(songImage.bytes.data(), SongImage::kImageSize);
    bool closed = written && romFile->Close();
    romFile.reset();
    return written && closed;
}

}  // namespace kelvane
