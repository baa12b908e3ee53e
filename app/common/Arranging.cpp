#include "Arranging.h"

#include "Messages.h"
#include "MidiFile.h"

namespace kelvane {
namespace {

constexpr char kCannotSaveArranged[] = "无法写入编排后的MIDI文件: ";

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
    result.source.trackCount = arranged.report.fileTracks;
    result.source.division = arranged.report.fileDivision;
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
