#include "NsfOutput.h"

#include "FillText.h"

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

std::string WriteWav(FileSystem& files, const std::vector<std::uint8_t>& nsf, const std::string& path,
                     Translator translate) {
    if (!WavRenderingBuiltIn()) return translate(kWavUnavailable);
    const auto block = nsf.begin() + static_cast<long>(kNsfHeaderSize);
    const std::vector<std::uint8_t> songBlock(block, block + static_cast<long>(kSongBlockSize));
    std::vector<std::uint8_t> wav;
    std::string error;
    if (!RenderPreviewWav(nsf, MeasureSong(songBlock).frames, wav, error))
        return Fill(translate("cannot render the WAV preview: {1}"), {error});
    if (!WriteWhole(files, path, wav)) return Fill(translate("cannot write the WAV file {1}"), {path});
    return "";
}

}  // namespace

std::string WriteNsfOutputs(FileSystem& files, const Converter& converter, const std::string& songName,
                            const NsfOutputs& outputs, std::vector<std::string>* written, Translator translate) {
    if (outputs.nsfPath.empty() && outputs.wavPath.empty()) return "";
    if (!translate) translate = Untranslated;
    std::vector<std::uint8_t> nsf = NsfFrame(songName);
    converter.EmitSongBlock(NsfLabelValues(), nsf.data() + kNsfHeaderSize);
    std::string failures;
    if (!outputs.nsfPath.empty()) {
        if (!WriteWhole(files, outputs.nsfPath, nsf))
            failures = Fill(translate("cannot write the NSF file {1}"), {outputs.nsfPath});
        else if (written)
            written->push_back(outputs.nsfPath);
    }
    if (!outputs.wavPath.empty()) {
        const std::string wavFailure = WriteWav(files, nsf, outputs.wavPath, translate);
        if (!wavFailure.empty())
            failures += (failures.empty() ? "" : "\n") + wavFailure;
        else if (written)
            written->push_back(outputs.wavPath);
    }
    return failures;
}

}  // namespace kelvane
