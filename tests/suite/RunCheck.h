// Conversions one after another over reusable in-memory files, and the rules
// that every conversion keeps whatever its input: the suite and the fuzzer
// both judge a run by Check().
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "TestSupport.h"

namespace kelvane::test {

class CheckedRun {
public:
    static constexpr char kMidiPath[] = "/music/song.mid";
    static constexpr char kAsmPath[] = "/music/song.asm";
    static constexpr char kHPath[] = "/music/song.h";
    static constexpr char kLrcPath[] = "/music/song.lrc";

    explicit CheckedRun(std::size_t templateSize = kImageSize);

    // The stand-in template of `size` bytes.
    void SetTemplate(std::size_t size);
    void RemoveTemplate();

    // Sets up the template and one fault from two bytes, the head of an input
    // of the template fuzzer (fuzz/template_fuzzer.cpp) and of its regression
    // files. `templateChoice` (mod 8): 512 KB, 512 KB - 1, 0, 1 MB,
    // 512 KB + 1, none, unreadable, 512 KB. `fault`: its upper half (mod 5)
    // picks .asm, .h, .lrc, "ROM.BIN" or the MIDI file; its lower half the
    // kind: 0 to 3 none, 4 cannot be created (the MIDI file: cannot be read),
    // 5 the close fails, 6 to 15 write number (kind - 6) fails. Faults set
    // before are cleared.
    void SetUp(std::uint8_t templateChoice, std::uint8_t fault);

    // One conversion of `midi`. The conversions of one CheckedRun follow one
    // another in one Converter, as the dialog's do. The outputs hold old
    // contents first (OldText, OldImage), which a refused run must keep;
    // faults set in `files` beforehand apply to this conversion.
    bool Convert(const Bytes& midi);

    // "" when the last conversion kept every rule, else the first it broke.
    std::string Check() const;

    // A conversion and its check in one; "" when all is well.
    std::string ConvertAndCheck(const Bytes& midi) {
        Convert(midi);
        return Check();
    }

    MemoryFileSystem files;
    RecordingFrontEnd ui;
    bool result = false;

    // The last run's song block as it emitted it (for a run that left the old
    // image), 32 KB from $8000.
    Bytes EmittedBlock() const { return test::EmittedBlock(*converter_, LabelValues()); }

    static const Bytes& OldImage();
    static const std::string& OldText(const std::string& path);

private:
    std::string CheckOutputSetRefusal(const std::string& box) const;
    std::string CheckFinishedRun() const;
    std::string CheckEquates(std::set<std::string>& equates) const;
    std::string CheckImage(std::uint16_t trackCount, bool overflowLogged,
                           const std::set<std::string>* equates) const;
    bool WriteFaultFired(const std::string& path) const;
    bool CloseFaultSet(const std::string& path) const { return files.failClose.count(path) != 0; }
    bool Kept(const std::string& path) const;
    bool KeptAll() const;

    std::unique_ptr<Converter> converter_;
    Bytes midi_;
    std::map<std::string, int> writeFaultsBefore_;
};

}  // namespace kelvane::test
