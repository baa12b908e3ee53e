#include "OutputSet.h"

#include "LyricFile.h"
#include "Messages.h"
#include "SongName.h"

namespace kelvane {

// Outputs replace their files by a rename, so only an output that is the very
// directory entry of another file can lose it, and such an entry has the same
// name; unless a link stands between them (an output or an input that is a
// link names its file under another name). The file system is asked only then.
bool OutputSet::Collide(const std::string& output, const std::string& other, bool throughLink) const {
    return !output.empty() && !other.empty() && (throughLink || FoldedFileName(output) == FoldedFileName(other)) &&
           files_.SameFile(output, other);
}

const char* OutputSet::Open(const std::string& midiPath, const std::string& templatePath,
                            const std::string& romPathIn, SongImage& image) {
    std::string base = BasePathOfPath(midiPath);
    asmPath = base + ".asm";
    hPath = base + ".h";
    lrcPath = base + ".lrc";
    romPath = romPathIn;

    // An output that names an input or another output would overwrite it and
    // lose it: tune.asm as the MIDI file, or --rom song.asm.
    const bool midiLink = files_.IsLink(midiPath);
    const bool templateLink = files_.IsLink(templatePath);
    const bool romLink = files_.IsLink(romPath);
    for (const std::string* output : {&asmPath, &hPath, &lrcPath, &romPath}) {
        const bool link = output == &romPath ? romLink : files_.IsLink(*output);
        if (Collide(*output, midiPath, link || midiLink) || Collide(*output, templatePath, link || templateLink))
            return msg::kCannotCreateOutput;
        if (output != &romPath && Collide(*output, romPath, link || romLink)) return msg::kCannotCreateOutput;
    }

    std::unique_ptr<ByteSink> sink = files_.CreateReplacing(asmPath);
    if (!sink) return msg::kCannotCreateOutput;
    asmFile.Open(std::move(sink));
    sink = files_.CreateReplacing(hPath);
    if (!sink) {
        Abandon();
        return msg::kCannotCreateOutput;
    }
    hFile.Open(std::move(sink));

    // A longer template gives only its first 512 KB; a shorter one cannot
    // hold the song block and is as good as none.
    if (!files_.ReadPrefix(templatePath, kImageSize, image) || image.size() < kImageSize) {
        Abandon();
        return msg::kCannotOpenTemplate;
    }
    romFile_ = files_.CreateReplacing(romPath);
    if (!romFile_) {
        Abandon();
        return msg::kCannotCreateOutput;
    }
    return nullptr;
}

bool OutputSet::CommitText() {
    bool asmClosed = asmFile.Close();
    bool hClosed = hFile.Close();
    return asmClosed && hClosed;
}

bool OutputSet::CommitLyrics(const LyricList& lyrics, const std::string& songNameGbk) {
    std::unique_ptr<ByteSink> sink = files_.CreateReplacing(lrcPath);
    if (!sink) return false;
    TextOut out;
    out.Open(std::move(sink));
    WriteLyricFile(lyrics, songNameGbk, out);
    return out.Close();
}

bool OutputSet::CommitImage(const SongImage& image) {
    bool written = romFile_->Write(image.data(), kImageSize);
    bool closed = written && romFile_->Close();
    romFile_.reset();
    return written && closed;
}

void OutputSet::Abandon() {
    asmFile.Abandon();
    hFile.Abandon();
    romFile_.reset();
}

}  // namespace kelvane
