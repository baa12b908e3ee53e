// The files one run writes, as one transaction: .asm, .h and .lrc beside the
// MIDI file, and the image made from the template. Each goes to a temporary
// file in its own directory and replaces the old file only when the run
// commits it, so a refused or broken run leaves every earlier output as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "LyricList.h"
#include "TextOut.h"

namespace kelvane {

constexpr std::size_t kImageSize = 0x80000;       // "ROM.BIN" is exactly this long
constexpr std::size_t kSongBlockOffset = 0x78000;  // where the driver's $8000 lies in the image

// The ROM image: the template's first 512 KB as loaded, with the song block
// emitted into it, written as "ROM.BIN".
using SongImage = ImageBuffer;

class OutputSet {
public:
    explicit OutputSet(FileSystem& files) : files_(files) {}

    std::string asmPath, hPath, lrcPath, romPath;
    TextOut asmFile, hFile;

    // Opens every output that each run writes and reads the template's first
    // 512 KB into `image`. nullptr on success; otherwise the text of the box
    // to show, with nothing left behind.
    const char* Open(const std::string& midiPath, const std::string& templatePath, const std::string& romPathIn,
                     SongImage& image);

    // .asm and .h replace the old files; false when a write or close failed.
    bool CommitText();
    // Writes the lyric table; false when it cannot be created or written.
    bool CommitLyrics(const LyricList& lyrics, const std::string& songNameGbk);
    // The image replaces the old "ROM.BIN"; false when a write or close failed.
    bool CommitImage(const SongImage& image);
    // Removes whatever is still uncommitted.
    void Abandon();

private:
    bool Collide(const std::string& output, const std::string& other, bool throughLink) const;

    FileSystem& files_;
    std::unique_ptr<ByteSink> romFile_;
};

}  // namespace kelvane
