#include "RunCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace kelvane::test {
namespace {

// The words, written out here rather than taken from the engine, so that a
// changed word is caught.
const char kCannotOpenMidi[] = "无法打开MIDI文件";
const char kNotMidi[] = "MIDI文件无法识别";
const char kUnsupportedFormat[] = "不支持的MIDI文件格式";
const char kCannotCreateOutput[] = "无法创建输出文件";
const char kCannotOpenTemplate[] = "无法打开RZ31ST.bin文件";
const char kTooManyTracks[] = "MIDI轨道数太多";
const char kCannotWrite[] = "***错误*** 无法写入输出文件\n";
const char kCannotCreateLyrics[] = "***错误*** 无法创建歌词文件\n";
const char kSuccess[] = "转换成功!\n";
const char kFailure[] = "转换失败!\n";
const char kLyricSeparator[] = ";...........................................................\r\n";

constexpr std::uint16_t kStreamStart = 0x800E;
constexpr std::size_t kStreamRoom = 0x10000 - kStreamStart;

std::uint16_t BE16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

// The box the header earns, or "" when the header passes.
std::string HeaderWords(const Bytes& midi) {
    if (midi.size() < 14 || std::memcmp(midi.data(), "MThd", 4) != 0) return kNotMidi;
    if (BE16(midi, 8) == 2 || BE16(midi, 12) < 8 || (BE16(midi, 12) & 0x8000)) return kUnsupportedFormat;
    return "";
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A track status line: its kind ("chunk", "data", "full") and track index.
bool ParseTrackLine(const std::string& line, std::string& kind, int& track) {
    static const std::string kPrefix = "***错误*** MIDI轨道";
    static const std::pair<const char*, const char*> kKinds[] = {
        {"格式无法识别\n", "chunk"}, {"数据无法解析\n", "data"}, {"数据超出歌曲空间\n", "full"}};
    if (!StartsWith(line, kPrefix)) return false;
    std::size_t at = kPrefix.size();
    std::size_t digits = at;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits == at || digits - at > 1) return false;
    for (const auto& k : kKinds) {
        if (line.compare(digits, std::string::npos, k.first) == 0) {
            kind = k.second;
            track = std::stoi(line.substr(at, digits - at));
            return true;
        }
    }
    return false;
}

std::vector<std::string> CrlfLines(const std::string& text, bool& wellFormed) {
    std::vector<std::string> lines;
    wellFormed = true;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            wellFormed = false;
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace

const Bytes& CheckedRun::OldImage() {
    static const Bytes kOld = {'o', 'l', 'd', ' ', 'i', 'm', 'a', 'g', 'e'};
    return kOld;
}

const std::string& CheckedRun::OldText(const std::string& path) {
    static std::map<std::string, std::string> old;
    auto found = old.find(path);
    if (found == old.end()) found = old.emplace(path, "old " + path + "\r\n").first;
    return found->second;
}

CheckedRun::CheckedRun(std::size_t templateSize) : converter_(std::make_unique<Converter>(ui, files)) {
    SetTemplate(templateSize);
}

// Templates are made once per size: the fuzzer sets one up for every input.
void CheckedRun::SetTemplate(std::size_t size) {
    static std::map<std::size_t, Bytes> made;
    auto found = made.find(size);
    if (found == made.end()) found = made.emplace(size, StandInTemplate(size)).first;
    files.Put(kTemplatePath, found->second);
}

void CheckedRun::RemoveTemplate() { files.Remove(kTemplatePath); }

void CheckedRun::SetUp(std::uint8_t templateChoice, std::uint8_t fault) {
    files.unreadable.clear();
    files.uncreatable.clear();
    files.failWriteAt.clear();
    files.failClose.clear();

    constexpr std::size_t kSizes[] = {kImageSize, kImageSize - 1, 0, 2 * kImageSize, kImageSize + 1};
    const unsigned choice = templateChoice % 8u;
    if (choice == 5) {
        RemoveTemplate();
    } else {
        SetTemplate(choice < 5 ? kSizes[choice] : kImageSize);
        if (choice == 6) files.unreadable.insert(kTemplatePath);
    }

    const std::string file = std::vector<std::string>{kAsmPath, kHPath, kLrcPath, kRomPath, kMidiPath}[(fault >> 4) % 5u];
    const int kind = fault & 0x0F;
    if (kind < 4) return;
    if (file == kMidiPath) {
        if (kind == 4) files.unreadable.insert(file);
    } else if (kind == 4) {
        files.uncreatable.insert(file);
    } else if (kind == 5) {
        files.failClose.insert(file);
    } else {
        files.failWriteAt[file] = kind - 6;
    }
}

bool CheckedRun::Convert(const Bytes& midi) {
    for (const char* path : {kAsmPath, kHPath, kLrcPath}) files.Put(path, OldText(path));
    files.Put(kRomPath, OldImage());
    files.Put(kMidiPath, midi);
    midi_ = midi;
    writeFaultsBefore_ = files.failWriteAt;
    ui = RecordingFrontEnd();
    result = converter_->Run(Request(kMidiPath, "song")).succeeded;
    return result;
}

bool CheckedRun::WriteFaultFired(const std::string& path) const {
    auto before = writeFaultsBefore_.find(path);
    auto after = files.failWriteAt.find(path);
    return before != writeFaultsBefore_.end() && after != files.failWriteAt.end() && after->second < 0;
}

bool CheckedRun::Kept(const std::string& path) const {
    return files.Has(path) && files.Text(path) == OldText(path);
}

bool CheckedRun::KeptAll() const {
    return Kept(kAsmPath) && Kept(kHPath) && Kept(kLrcPath) && files.Get(kRomPath) == OldImage();
}

std::string CheckedRun::Check() const {
    if (files.openSinks != 0) return "an output sink was left open";
    for (const std::string& path : files.Paths())
        if (EndsWith(path, ".tmp")) return "a temporary file was left: " + path;
    if (files.Get(kMidiPath) != midi_) return "the MIDI file was changed";
    // Every run starts from an empty status and an empty bar.
    if (ui.progress.empty() || ui.progress[0] != "reset") return "the run did not reset the progress bar";

    std::string box = files.unreadable.count(kMidiPath) ? kCannotOpenMidi : HeaderWords(midi_);
    if (!box.empty()) {
        if (ui.messages != std::vector<std::string>{box}) return "expected the box " + box;
        if (ui.appended != std::vector<std::string>{"输出文件:\n", kFailure})
            return "a refused header logs an empty output path and the failure line";
        if (!KeptAll()) return "a refused header touched an output";
        if (result) return "a refused header returned success";
        if (ui.progress.size() != 1) return "a refused header moved the progress bar";
        return "";
    }

    bool templateShort = !files.Has(kTemplatePath) || files.unreadable.count(kTemplatePath) ||
                         files.Get(kTemplatePath).size() < kImageSize;
    if (files.uncreatable.count(kAsmPath) || files.uncreatable.count(kHPath))
        return CheckOutputSetRefusal(kCannotCreateOutput);
    if (templateShort) return CheckOutputSetRefusal(kCannotOpenTemplate);
    if (files.uncreatable.count(kRomPath)) return CheckOutputSetRefusal(kCannotCreateOutput);
    if (BE16(midi_, 10) > 6) return CheckOutputSetRefusal(kTooManyTracks);
    return CheckFinishedRun();
}

// A run that ended at the output set or the track count: a box, an empty
// status, and every output as it was.
std::string CheckedRun::CheckOutputSetRefusal(const std::string& box) const {
    if (ui.messages != std::vector<std::string>{box}) return "expected the box " + box;
    if (!ui.appended.empty()) return "a run ended by " + box + " logged a status line";
    if (ui.statusText != std::string(6, '\n')) return "a run ended by " + box + " shows an old status";
    if (result) return "a run ended by a box returned success";
    if (ui.progress.size() != 1) return "a run ended by a box moved the progress bar";
    if (!KeptAll()) return "a run ended by " + box + " touched an output";
    return "";
}

std::string CheckedRun::CheckFinishedRun() const {
    const std::uint16_t trackCount = BE16(midi_, 10);
    const std::uint16_t division = BE16(midi_, 12);
    if (!ui.messages.empty()) return "a box in a run that reached its tracks: " + ui.messages[0];

    std::vector<std::string> progress = {"reset", "range " + std::to_string(trackCount), "step 1"};
    progress.insert(progress.end(), trackCount, "stepit");
    if (ui.progress != progress) return "progress is not one step per track";

    const std::vector<std::string>& lines = ui.appended;
    if (lines.size() < 3) return "too few status lines";
    if (lines[0] != "MIDI轨道数:" + std::to_string(trackCount) + ",MIDI节拍数:" + std::to_string(division) + "\n")
        return "wrong header line: " + lines[0];
    if (lines[lines.size() - 2] != std::string("输出文件:") + kAsmPath + "\n") return "wrong output-file line";

    // Between them: track lines in track order, at most one chunk or data line
    // per track, one song-block line in all, then the lyric file's line and
    // the write failure, each at most once.
    int lastTrack = -1;
    std::string lastKind;
    bool full = false;
    bool trackLines = false;
    bool lyricLine = false;
    bool writeLine = false;
    for (std::size_t i = 1; i + 2 < lines.size(); ++i) {
        std::string kind;
        int track = 0;
        if (lines[i] == kCannotWrite) {
            if (writeLine || i + 3 != lines.size()) return "the write failure line is not once and last";
            writeLine = true;
            continue;
        }
        if (lines[i] == kCannotCreateLyrics) {
            if (lyricLine || writeLine) return "the lyric line is not once and before the write line";
            lyricLine = true;
            continue;
        }
        if (lyricLine || writeLine) return "a track line after the output lines";
        if (!ParseTrackLine(lines[i], kind, track)) return "unknown status line: " + lines[i];
        if (track >= trackCount) return "a status line for a track the header does not announce";
        if (track < lastTrack || (track == lastTrack && (lastKind == "full" || kind != "full")))
            return "track lines out of order: " + lines[i];
        if (kind == "full") {
            if (full) return "the song block line twice";
            full = true;
        }
        trackLines = true;
        lastTrack = track;
        lastKind = kind;
    }
    // The status text is the newest six lines of the ring, which the run
    // emptied when it started.
    std::string shown;
    for (std::size_t i = lines.size(); i < 6; ++i) shown += "\n";
    for (std::size_t i = lines.size() > 6 ? lines.size() - 6 : 0; i < lines.size(); ++i) shown += lines[i];
    if (ui.statusText != shown) return "the status text is not the newest six lines";

    bool clean = lines.size() == 3;
    if (lines.back() != (clean ? kSuccess : kFailure)) return "the final line does not match the lines before";
    if (result != clean) return "the result does not match the final line";

    // The image is committed only for a song whose every track translated
    // and fit; every failed write or close of .asm, .h or the image is
    // reported, and only those.
    const bool asmFailed = WriteFaultFired(kAsmPath) || CloseFaultSet(kAsmPath);
    const bool hFailed = WriteFaultFired(kHPath) || CloseFaultSet(kHPath);
    const bool romFailed = !trackLines && (WriteFaultFired(kRomPath) || CloseFaultSet(kRomPath));
    if (writeLine != (romFailed || asmFailed || hFailed)) return "the write failure line does not match the faults";

    // The lyric file's failure is a status line, and only a fault makes it.
    const bool lrcFaultSet = files.uncreatable.count(kLrcPath) || writeFaultsBefore_.count(kLrcPath) || CloseFaultSet(kLrcPath);
    if (lyricLine && !lrcFaultSet) return "a lyric line without a fault";
    if (WriteFaultFired(kLrcPath) && !lyricLine) return "a failed lyric file was not reported";
    if (!Kept(kLrcPath)) {
        if (lyricLine) return "a failed lyric file replaced the old one";
        std::string lrc = files.Text(kLrcPath);
        if (!StartsWith(lrc, std::string(kLyricSeparator) + "song_Lyric:\r\n") ||
            !EndsWith(lrc, "\t\tdb\t\t127\r\n\t\tdb\t\t0\r\n"))
            return "the lyric file lacks its head or its closing lines";
    }

    if (asmFailed != Kept(kAsmPath)) return "the .asm file was replaced though its write failed, or kept though it did not";
    if (hFailed != Kept(kHPath)) return "the .h file was replaced though its write failed, or kept though it did not";
    std::set<std::string> equates;
    if (!hFailed) {
        std::string problem = CheckEquates(equates);
        if (!problem.empty()) return problem;
    }

    const bool romReplaced = !trackLines && !romFailed;
    if (!romReplaced) return files.Get(kRomPath) == OldImage() ? "" : "a broken or failed image replaced the old one";
    if (asmFailed) {
        const Bytes& rom = files.Get(kRomPath);
        const Bytes& templ = files.Get(kTemplatePath);
        if (rom.size() != kImageSize || !std::equal(rom.begin(), rom.begin() + kSongBlock, templ.begin()))
            return "the image outside the song block differs from the template";
        return "";
    }
    return CheckImage(trackCount, full, hFailed ? nullptr : &equates);
}

// The .h file: equate lines only, each label once.
std::string CheckedRun::CheckEquates(std::set<std::string>& equates) const {
    bool wellFormed = false;
    for (const std::string& line : CrlfLines(files.Text(kHPath), wellFormed)) {
        static const std::string kEquate = "\t\tequ\t$00";
        if (!EndsWith(line, kEquate) || line.size() == kEquate.size()) return "not an equate line: " + line;
        if (!equates.insert(line.substr(0, line.size() - kEquate.size())).second)
            return "a label defined twice: " + line;
    }
    if (!wellFormed) return "the .h file does not end its last line";
    return "";
}

// The image is the template with, in the song block, exactly the bytes the
// .asm text spells: tempo, pointers and streams, up to $FFFF.
std::string CheckedRun::CheckImage(std::uint16_t trackCount, bool overflowLogged,
                                   const std::set<std::string>* equates) const {
    const Bytes& rom = files.Get(kRomPath);
    const Bytes& templ = files.Get(kTemplatePath);
    if (rom.size() != kImageSize) return "the image is not 524288 bytes";
    if (!std::equal(rom.begin(), rom.begin() + kSongBlock, templ.begin()))
        return "the image outside the song block differs from the template";
    // The song block as the text says it must be, offsets from $8000.
    Bytes expected(templ.begin() + kSongBlock, templ.begin() + kImageSize);
    std::string text = files.Text(kAsmPath);
    if (trackCount == 0) {
        if (!text.empty()) return "a song without tracks wrote assembler text";
        if (overflowLogged) return "a song without tracks filled the song block";
        return std::equal(expected.begin(), expected.end(), rom.begin() + kSongBlock)
                   ? "" : "a song without tracks changed the song block";
    }

    // With fewer than six tracks the dw table is shorter than the pointer
    // table, so the text is assembled where its first stream lands on $800E.
    const std::size_t head = 4 + 2 * (trackCount - 1u);
    Assembly assembly;
    try {
        assembly = Assemble(text, static_cast<std::uint16_t>(kStreamStart - head));
    } catch (const std::exception& e) {
        return std::string("the .asm text does not assemble: ") + e.what();
    }
    const Bytes& bytes = assembly.bytes;
    if (bytes.size() < head) return "the .asm text lacks its tempo line or dw table";
    // Tempo bytes and the pointers of the channels the song has.
    std::copy(bytes.begin(), bytes.begin() + static_cast<long>(head), expected.begin());
    std::size_t streamLength = bytes.size() - head;
    std::copy(bytes.begin() + static_cast<long>(head),
              bytes.begin() + static_cast<long>(head + std::min(streamLength, kStreamRoom)),
              expected.begin() + (kStreamStart - 0x8000));
    if (overflowLogged != (streamLength > kStreamRoom))
        return "the song block line does not match the stream length " + std::to_string(streamLength);

    // Every label a command names is defined in the .h file.
    bool wellFormed = false;
    for (const std::string& line : CrlfLines(text, wellFormed)) {
        static const std::string kTimbre = "\t\tdb\t\tMPCC_Timbre+";
        static const std::string kPercussion = "\t\tdb\t\tMPCC_Inside+song_";
        std::string label;
        if (StartsWith(line, kTimbre)) label = line.substr(kTimbre.size());
        if (StartsWith(line, kPercussion)) label = line.substr(kPercussion.size() - 5);
        if (equates && !label.empty() && !equates->count(label)) return "a label without its equate: " + label;
    }

    auto differ = std::mismatch(expected.begin(), expected.end(), rom.begin() + kSongBlock);
    if (differ.first != expected.end()) {
        char where[8];
        std::snprintf(where, sizeof where, "$%04X", static_cast<unsigned>(0x8000 + (differ.first - expected.begin())));
        return std::string("the song block differs from the .asm text at ") + where;
    }
    return "";
}

}  // namespace kelvane::test
