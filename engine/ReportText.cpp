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

}  // namespace

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
        for (std::size_t k = 0; k < voice.sources.size(); ++k)
            text += "    from " + voice.sources[k] + (k == 0 && !voice.reason.empty() ? " (" + voice.reason + ")" : "") + "\n";
    }
    if (report.conductorNotes > 0)
        text += "conductor track: " + Number(report.conductorNotes) + " notes not played\n";
    const std::size_t size = ConversionReport::kSongBlockSize;
    text += "song block: " + Number(report.songBlockUsed) + " of " + Number(size) + " bytes (" +
            Number((report.songBlockUsed * 100 + size / 2) / size) + "%)" + (report.songBlockFull ? ", full" : "") + "\n";
    text += "length: " + MinutesAndSeconds(report.seconds) + " (" + Seconds(report.seconds) + " s), tempo " +
            std::to_string(report.tempo[0]) + "," + std::to_string(report.tempo[1]) + "," +
            std::to_string(report.tempo[2]) + "," + std::to_string(report.tempo[3]) + "\n";
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
        if (report.arranged) {
            json += ",\"sources\":[";
            for (std::size_t k = 0; k < voice.sources.size(); ++k)
                json += (k > 0 ? "," : "") + Quoted(voice.sources[k]);
            json += "],\"reason\":" + Quoted(voice.reason);
        }
        json += "}";
    }
    json += "],\"songBlock\":{\"used\":" + Number(report.songBlockUsed) +
            ",\"size\":" + Number(ConversionReport::kSongBlockSize) + "}";
    json += ",\"seconds\":" + Seconds(report.seconds);
    json += ",\"tempo\":[" + std::to_string(report.tempo[0]) + "," + std::to_string(report.tempo[1]) + "," +
            std::to_string(report.tempo[2]) + "," + std::to_string(report.tempo[3]) + "]";
    json += ",\"conductorNotes\":" + Number(report.conductorNotes);
    json += ",\"arranged\":" + std::string(report.arranged ? "true" : "false");
    json += ",\"succeeded\":" + std::string(report.succeeded ? "true" : "false");
    if (!report.message.empty()) json += ",\"message\":" + Quoted(report.message);
    json += ",\"warnings\":[";
    for (std::size_t k = 0; k < report.warnings.size(); ++k) json += (k > 0 ? "," : "") + Quoted(report.warnings[k]);
    return json + "]}";
}

}  // namespace kelvane
