#include "NsfOutput.h"

#include "Nsf.h"
#include "SongLength.h"
#include "Wav.h"

namespace kelvane {
namespace {

bool WriteWhole(FileSystem& files, const std::string& path, const std::vector<std::uint8_t>& data) {
    std::unique_ptr<ByteSink> sink = files.CreateReplacing(path);
    if (!sink) return false;
    // A replacement that is not closed leaves the old file as it was.
    if (!sink->Write(data.data(), data.size())) return false;
    return sink->Close();
}

}  // namespace

const char kWavUnavailable[] =
    "--wav is not available: this program was built without libgme, which renders the WAV";

bool WavOutputAvailable() { return WavRenderingBuiltIn(); }

namespace {

// Renders the WAV (when asked) before anything is written, then writes.
std::string WriteFiles(FileSystem& files, const std::vector<std::uint8_t>& nsf, const NsfOutputs& outputs) {
    std::vector<std::uint8_t> wav;
    if (!outputs.wavPath.empty()) {
        if (!WavRenderingBuiltIn()) return kWavUnavailable;
        std::string error;
        const auto block = nsf.begin() + static_cast<long>(kNsfHeaderSize);
        const std::vector<std::uint8_t> songBlock(block, block + static_cast<long>(kSongBlockSize));
        if (!RenderPreviewWav(nsf, MeasureSong(songBlock).frames, wav, error))
            return "cannot render the WAV preview: " + error;
    }
    if (!outputs.nsfPath.empty() && !WriteWhole(files, outputs.nsfPath, nsf))
        return "cannot write the NSF file " + outputs.nsfPath;
    if (!outputs.wavPath.empty() && !WriteWhole(files, outputs.wavPath, wav))
        return "cannot write the WAV file " + outputs.wavPath;
    return "";
}

}  // namespace

std::string WriteNsfOutputs(FileSystem& files, const std::vector<std::uint8_t>& songBlock,
                            const std::string& songName, const NsfOutputs& outputs) {
    if (outputs.nsfPath.empty() && outputs.wavPath.empty()) return "";
    std::vector<std::uint8_t> nsf = BuildNsf(songBlock, songName);
    if (nsf.empty()) return "no song block to write as an NSF";
    return WriteFiles(files, nsf, outputs);
}

std::string WriteNsfOutputs(FileSystem& files, const Converter& converter, const std::string& songName,
                            const NsfOutputs& outputs) {
    if (outputs.nsfPath.empty() && outputs.wavPath.empty()) return "";
    std::vector<std::uint8_t> nsf = NsfFrame(songName);
    converter.EmitSongBlock(NsfLabelValues(), nsf.data() + kNsfHeaderSize);
    return WriteFiles(files, nsf, outputs);
}

}  // namespace kelvane
