#include "ReportText.h"

#include <cstdio>

namespace kelvane {
namespace {

// Rounds a length, never negative, to the nearest whole number. Written out:
// std::llround alone would make the command line load the maths library at
// every start.
long long Rounded(double value) { return static_cast<long long>(value + 0.5); }

// Hundredths without the C library's locale: the length is counted in 1/50 s.
std::string Seconds(double seconds) {
    long long hundredths = Rounded(seconds * 100);
    std::string fraction = std::to_string(hundredths % 100);
    return std::to_string(hundredths / 100) + "." + (fraction.size() < 2 ? "0" : "") + fraction;
}

std::string Padded(const std::string& text, std::size_t width, bool left = false) {
    std::string pad(text.size() < width ? width - text.size() : 0, ' ');
    return left ? text + pad : pad + text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Number(std::uint64_t value) { return std::to_string(value); }

// `digits` decimals, the same way.
std::string Fixed(double value, int digits) {
    long long scale = 1;
    for (int i = 0; i < digits; ++i) scale *= 10;
    long long scaled = Rounded((value < 0 ? -value : value) * static_cast<double>(scale));
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, static_cast<std::size_t>(digits) - fraction.size(), '0');
    return (value < 0 && scaled > 0 ? "-" : "") + std::to_string(scaled / scale) + (digits > 0 ? "." + fraction : "");
}

bool TimelessUnits(const ConversionReport& report) {
    for (int steps : report.tempo)
        if (steps < 2) return true;
    return false;
}

std::string TempoText(const ConversionReport& report) {
    return std::to_string(report.tempo[0]) + "," + std::to_string(report.tempo[1]) + "," +
           std::to_string(report.tempo[2]) + "," + std::to_string(report.tempo[3]);
}

std::string Percent(double share) { return Fixed(share * 100, 1) + "%"; }

std::string SpeedText(const ConversionReport& report) {
    return report.speed > 0 ? "x" + Fixed(report.speed, 3) : "no time at the driver's tempo";
}

}  // namespace

std::string TempoAdvice(const ConversionReport& report, const std::string& arrangeName, bool evenSlightly) {
    if (report.arranged || !report.translated || report.units == 0) return "";
    const std::string retime = "; 用 " + arrangeName + " 按MIDI文件的实际时长重新排定时值";
    if (TimelessUnits(report))
        return "提示: 速度字节 " + TempoText(report) + " 小于2, 有的时间单位不占时间, 驱动会把这首歌放得太快" + retime;
    // The tempo rule only ever shortens a unit: the driver is never slow.
    if (evenSlightly && report.speed > 1.02)
        return "提示: 驱动会把这首歌放快" + Percent(report.speed - 1) + " (原速的" + Fixed(report.speed, 3) + "倍)" + retime;
    return "";
}

std::string MinutesAndSeconds(double seconds) {
    long long whole = Rounded(seconds);
    std::string ss = std::to_string(whole % 60);
    return std::to_string(whole / 60) + ":" + (ss.size() < 2 ? "0" : "") + ss;
}

std::string ReportTable(const ConversionReport& report) {
    const bool arranged = report.arranged;
    std::string text = "voice        notes  overlap  too short  bytes";
    if (arranged) text += "  short  octave    fit";
    text += "\n";
    for (const VoiceReport& voice : report.voices) {
        text += Padded(voice.voice, 10, true) + Padded(Number(voice.notes), 7) +
                Padded(Number(voice.droppedOverlap), 9) + Padded(Number(voice.droppedZeroLength), 11) +
                Padded(Number(voice.bytes), 7);
        if (arranged)
            text += Padded(Number(voice.droppedShort), 7) + Padded(Number(voice.droppedOctave), 8) +
                    Padded(Number(voice.droppedFit), 7);
        text += "\n";
        for (const std::string& source : voice.sources) text += "    from " + source + "\n";
    }
    if (report.conductorNotes > 0)
        text += "conductor track: " + Number(report.conductorNotes) + " notes not played\n";
    const std::size_t size = ConversionReport::kSongBlockSize;
    text += "song block: " + Number(report.songBlockUsed) + " of " + Number(size) + " bytes (" +
            Number((report.songBlockUsed * 100 + size / 2) / size) + "%)" + (report.songBlockFull ? ", full" : "") + "\n";
    text += "length: " + MinutesAndSeconds(report.seconds) + " (" + Seconds(report.seconds) + " s), tempo " +
            TempoText(report) + "\n";
    text += "timing: unit " + Fixed(report.unitMs, 2) + " ms; " + Seconds(report.seconds) +
            " s at the driver's tempo against the MIDI file's " + Seconds(report.midiSeconds) + " s; speed " +
            SpeedText(report) + "\n";
    if (arranged) {
        std::uint32_t kept = 0;
        for (const VoiceReport& voice : report.voices) kept += voice.rests;
        text += "re-timed: " + Percent(report.movedShare) + " of the notes start more than 30 ms off; rests kept " +
                Number(kept) + " of " + Number(report.rests) + "\n";
    }
    const std::string advice = TempoAdvice(report, "--arrange", true);
    if (!advice.empty()) text += advice + "\n";
    for (const std::string& warning : report.warnings) text += "warning: " + warning + "\n";
    return text;
}

std::string ReportJson(const ConversionReport& report) {
    std::string json = "{\"voices\":[";
    for (std::size_t i = 0; i < report.voices.size(); ++i) {
        const VoiceReport& voice = report.voices[i];
        if (i > 0) json += ",";
        json += "{\"voice\":" + Quoted(voice.voice) + ",\"notes\":" + Number(voice.notes) +
                ",\"dropped\":{\"overlap\":" + Number(voice.droppedOverlap) +
                ",\"zeroLength\":" + Number(voice.droppedZeroLength);
        if (report.arranged)
            json += ",\"short\":" + Number(voice.droppedShort) + ",\"octave\":" + Number(voice.droppedOctave) +
                    ",\"fit\":" + Number(voice.droppedFit);
        json += "},\"bytes\":" + Number(voice.bytes);
        if (report.arranged) json += ",\"rests\":" + Number(voice.rests);
        if (report.arranged) {
            json += ",\"sources\":[";
            for (std::size_t k = 0; k < voice.sources.size(); ++k)
                json += (k > 0 ? "," : "") + Quoted(voice.sources[k]);
            json += "]";
        }
        json += "}";
    }
    json += "],\"songBlock\":{\"used\":" + Number(report.songBlockUsed) +
            ",\"size\":" + Number(ConversionReport::kSongBlockSize) + "}";
    json += ",\"seconds\":" + Seconds(report.seconds);
    json += ",\"tempo\":[" + std::to_string(report.tempo[0]) + "," + std::to_string(report.tempo[1]) + "," +
            std::to_string(report.tempo[2]) + "," + std::to_string(report.tempo[3]) + "]";
    json += ",\"unitMs\":" + Fixed(report.unitMs, 2) + ",\"midiSeconds\":" + Seconds(report.midiSeconds) +
            ",\"speed\":" + (report.speed > 0 ? Fixed(report.speed, 4) : std::string("null"));
    if (report.arranged)
        json += ",\"movedShare\":" + Fixed(report.movedShare, 4) + ",\"rests\":" + Number(report.rests);
    json += ",\"conductorNotes\":" + Number(report.conductorNotes);
    json += ",\"arranged\":" + std::string(report.arranged ? "true" : "false");
    json += ",\"succeeded\":" + std::string(report.succeeded ? "true" : "false");
    if (!report.message.empty()) json += ",\"message\":" + Quoted(report.message);
    json += ",\"warnings\":[";
    for (std::size_t k = 0; k < report.warnings.size(); ++k) json += (k > 0 ? "," : "") + Quoted(report.warnings[k]);
    return json + "]}";
}

}  // namespace kelvane
