#include "Arranging.h"

#include <algorithm>

#include "Messages.h"
#include "MidiFile.h"

namespace kelvane {
namespace {

constexpr char kCannotSaveArranged[] = "无法写入编排后的MIDI文件: ";
constexpr std::size_t kRiffSearch = 4096;  // how far into a RIFF wrapper the arrangement looks

// The header as the file announces it: at the start, or inside a RIFF
// wrapper, where the arrangement finds it too.
MidiHeader ReadSourceHeader(const std::vector<std::uint8_t>& bytes) {
    std::size_t at = 0;
    if (bytes.size() >= 12 && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF")) {
        for (at = 12; at + 4 <= bytes.size() && at < kRiffSearch; ++at)
            if (std::equal(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4, "MThd"))
                break;
    }
    MidiHeader header;
    if (at + 14 > bytes.size()) return header;
    header.trackCount = bytes[at + 10] << 8 | bytes[at + 11];
    header.division = bytes[at + 12] << 8 | bytes[at + 13];
    return header;
}

}  // namespace

ArrangedFile ArrangeMidiFile(FileSystem& files, const std::string& midiPath, const std::string& voiceSpec,
                             const std::string& savePath, const arrange::ArrangeOptions& options) {
    ArrangedFile result;
    arrange::VoiceAssignment assignment;
    if (!arrange::ParseVoiceSpec(voiceSpec, assignment, result.error)) return result;
    std::vector<std::uint8_t> bytes;
    switch (files.ReadWhole(midiPath, kMidiSizeLimit, bytes)) {
        case FileSystem::ReadResult::kRead:
            break;
        case FileSystem::ReadResult::kCannotOpen:
            result.error = msg::kCannotOpenMidi;
            return result;
        case FileSystem::ReadResult::kTooLarge:
            result.error = msg::kMidiTooLarge;
            return result;
    }
    arrange::ArrangeResult arranged = arrange::Arrange(bytes, assignment, options);
    if (!arranged.ok) {
        result.error = arranged.error;
        return result;
    }
    result.source = ReadSourceHeader(bytes);
    result.midi = std::move(arranged.midi);
    result.report = std::move(arranged.report);
    if (!savePath.empty()) {
        std::unique_ptr<ByteSink> sink = files.CreateReplacing(savePath);
        bool saved = sink && sink->Write(result.midi.data(), result.midi.size());
        saved = sink && sink->Close() && saved;
        if (!saved) {
            result.error = kCannotSaveArranged + savePath;
            return result;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace kelvane
