#include "TestSupport.h"

#include <stdexcept>

#include "SongName.h"

namespace kelvane::test {

Bytes StandInTemplate(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 8) + 7);
    return bytes;
}

ConversionRequest Request(const std::string& midiPath, const std::string& songName, const std::string& templatePath,
                          const std::string& romPath) {
    ConversionRequest request;
    request.midiPath = midiPath;
    request.songName = songName;
    request.templatePath = templatePath;
    request.romPath = romPath;
    return request;
}

Bytes EmittedBlock(const Converter& converter, const LabelValues& labels) {
    Bytes block(0x8000, 0xFF);
    converter.EmitSongBlock(labels, block.data());
    return block;
}

InMemoryRun::InMemoryRun() { files.Put(kTemplatePath, StandInTemplate()); }

bool InMemoryRun::Convert(const Bytes& midi, const std::string& path) {
    files.Put(path, midi);
    report = Run(path, SongNameOfPath(path));
    return report.succeeded;
}

Bytes InMemoryRun::Block(std::uint16_t from, std::size_t count) const {
    std::size_t start = from - 0x8000u;
    if (!report.romReplaced) {
        Bytes block = EmittedBlock(converter, LabelValues());
        return Bytes(block.begin() + static_cast<long>(start), block.begin() + static_cast<long>(start + count));
    }
    const Bytes& rom = Rom();
    start += kSongBlock;
    return Bytes(rom.begin() + static_cast<long>(start), rom.begin() + static_cast<long>(start + count));
}

std::uint16_t InMemoryRun::Pointer(int channel) const {
    Bytes slot = Block(static_cast<std::uint16_t>(0x8004 + 2 * (channel - 1)), 2);
    return static_cast<std::uint16_t>(slot[0] | slot[1] << 8);
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) throw std::runtime_error("line without CR LF");
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

long Term(const std::string& term, const std::map<std::string, std::uint16_t>& labels) {
    static const std::map<std::string, long> kNames = {
        {"MPCC_Wait", 0x00}, {"MPCC_Timbre", 0x80}, {"MPCC_Volume", 0x90}, {"MPCC_Inside", 0xA0},
        {"MPCC_End", 0xFF}, {"nC", 0}, {"nCb", 1}, {"nD", 2}, {"nDb", 3}, {"nE", 4}, {"nF", 5},
        {"nFb", 6}, {"nG", 7}, {"nGb", 8}, {"nA", 9}, {"nAb", 10}, {"nB", 11}};
    if (term.empty()) throw std::runtime_error("empty operand");
    if (term[0] == '$') return std::stol(term.substr(1), nullptr, 16);
    if (term[0] >= '0' && term[0] <= '9') return std::stol(term);
    auto name = kNames.find(term);
    if (name != kNames.end()) return name->second;
    auto label = labels.find(term);
    if (label != labels.end()) return label->second;
    return 0;  // an equate of the .h file
}

long Expression(const std::string& text, const std::map<std::string, std::uint16_t>& labels) {
    long value = 0;
    for (const std::string& term : Split(text, '+')) value += Term(term, labels);
    return value;
}

}  // namespace

Assembly Assemble(const std::string& asmText, std::uint16_t origin) {
    Assembly result;
    std::vector<std::string> lines = SplitLines(asmText);
    for (int pass = 0; pass < 2; ++pass) {
        result.bytes.clear();
        std::uint16_t address = origin;
        for (const std::string& line : lines) {
            if (line.empty() || line[0] == ';' || line.rfind("\t;", 0) == 0) continue;
            if (line.back() == ':') {
                result.labels[line.substr(0, line.size() - 1)] = address;
                continue;
            }
            bool words = line.rfind("\t\tdw\t\t", 0) == 0;
            if (!words && line.rfind("\t\tdb\t\t", 0) != 0) throw std::runtime_error("unknown line: " + line);
            std::string operands = line.substr(6);
            std::size_t comment = operands.find("\t\t;");
            if (comment != std::string::npos) operands.resize(comment);
            for (const std::string& operand : Split(operands, ',')) {
                long value = pass == 0 ? 0 : Expression(operand, result.labels);
                result.bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
                if (words) result.bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
                address = static_cast<std::uint16_t>(address + (words ? 2 : 1));
            }
        }
    }
    return result;
}

}  // namespace kelvane::test
