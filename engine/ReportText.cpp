#include "ReportText.h"

#include "FillText.h"

#include <cstdio>

namespace kelvane {
namespace {

// Rounds a length, never negative, to the nearest whole number. Written out:
// std::llround alone would make the command line load the maths library at
// every start.
long long Rounded(double value) { return static_cast<long long>(value + 0.5); }

// Terminal columns of UTF-8 text: East Asian wide characters (U+1100 and
// up, roughly) take two.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte
        columns += c >= 0xE1 ? 2 : 1;      // three- and four-byte sequences from U+1000 on
    }
    return columns;
}

std::string Padded(const std::string& text, std::size_t width, bool left = false) {
    const std::size_t columns = Columns(text);
    std::string pad(columns < width ? width - columns : 0, ' ');
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

// The voices' names as the table shows them; the report keeps the English ones.
constexpr const char* kVoiceNames[] = {N_("Square1"), N_("Square2"), N_("Triangle"), N_("Noise"), N_("DPCM")};

std::string VoiceName(const std::string& voice, Translator translate) {
    for (const char* name : kVoiceNames)
        if (voice == name) return translate(name);
    return voice;
}

// "track 2, channel 1: Acoustic Grand Piano" in the reader's words; the
// instrument's name stays as the arrangement gives it.
std::string SourceText(const std::string& source, Translator translate) {
    unsigned track = 0, channel = 0;
    int used = 0;
    if (std::sscanf(source.c_str(), "track %u, channel %u: %n", &track, &channel, &used) != 2 || used == 0)
        return source;
    return Fill(translate("track {1}, channel {2}: {3}"),
                {std::to_string(track), std::to_string(channel), source.substr(static_cast<std::size_t>(used))});
}

// `digits` decimals, the same way.
std::string Fixed(double value, int digits) {
    long long scale = 1;
    for (int i = 0; i < digits; ++i) scale *= 10;
    long long scaled = Rounded((value < 0 ? -value : value) * static_cast<double>(scale));
    std::string fraction = std::to_string(scaled % scale);
    fraction.insert(0, static_cast<std::size_t>(digits) - fraction.size(), '0');
    return (value < 0 && scaled > 0 ? "-" : "") + std::to_string(scaled / scale) + (digits > 0 ? "." + fraction : "");
}

// Hundredths without the C library's locale: the length is counted in 1/50 s.
std::string Seconds(double seconds) { return Fixed(seconds, 2); }

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

}  // namespace

std::vector<std::string> ConversionWarnings(const ConversionReport& report, Translator translate) {
    if (!translate) translate = Untranslated;
    std::vector<std::string> warnings;
    for (const TrackProblem& problem : report.problems) {
        const char* text = problem.kind == TrackProblem::Kind::kBadChunk ? N_("track {1} is not a track chunk")
                           : problem.kind == TrackProblem::Kind::kBadData
                               ? N_("track {1} holds data that cannot be parsed")
                               : N_("track {1} did not fit the song block");
        warnings.push_back(Fill(translate(text), {std::to_string(problem.track)}));
    }
    if (report.conductorNotes > 0)
        warnings.push_back(Fill(translate("{1} notes on the conductor track are not played"),
                                {Number(report.conductorNotes)}));
    if (report.lyricsLost) warnings.push_back(translate("the lyric file could not be written"));
    if (report.translated && !report.romReplaced) warnings.push_back(translate("the ROM image was left as it was"));
    return warnings;
}

std::string TempoAdvice(const ConversionReport& report, const std::string& arrangeName, bool evenSlightly,
                        Translator translate) {
    if (!translate) translate = Untranslated;
    if (report.arranged || !report.translated || report.units == 0) return "";
    if (TimelessUnits(report))
        return Fill(translate("提示: tempo bytes {1} are below 2: some time units take no time and the driver plays "
                              "this song far too fast; {2} re-times it to the MIDI file's own length"),
                    {TempoText(report), arrangeName});
    // The tempo rule only ever shortens a unit: the driver is never slow.
    if (evenSlightly && report.speed > 1.02)
        return Fill(translate("提示: the driver plays this song {1} fast ({2} times its speed); {3} re-times it to "
                              "the MIDI file's own length"),
                    {Percent(report.speed - 1), Fixed(report.speed, 3), arrangeName});
    return "";
}

std::string MinutesAndSeconds(double seconds) {
    long long whole = Rounded(seconds);
    std::string ss = std::to_string(whole % 60);
    return std::to_string(whole / 60) + ":" + (ss.size() < 2 ? "0" : "") + ss;
}

std::string ReportTable(const ConversionReport& report, Translator translate) {
    if (!translate) translate = Untranslated;
    const bool arranged = report.arranged;
    std::string text = Padded(translate("voice"), 10, true) + Padded(translate("notes"), 7) +
                       Padded(translate("overlap"), 9) + Padded(translate("too short"), 11) +
                       Padded(translate("bytes"), 7);
    // Notes moved by octaves are played, not dropped: their column stands last.
    if (arranged)
        text += Padded(translate("short"), 7) + Padded(translate("fit"), 7) + Padded(translate("octave moves"), 14);
    text += "\n";
    for (const VoiceReport& voice : report.voices) {
        text += Padded(VoiceName(voice.voice, translate), 10, true) + Padded(Number(voice.notes), 7) +
                Padded(Number(voice.droppedOverlap), 9) + Padded(Number(voice.droppedZeroLength), 11) +
                Padded(Number(voice.bytes), 7);
        if (arranged)
            text += Padded(Number(voice.droppedShort), 7) + Padded(Number(voice.droppedFit), 7) +
                    Padded(Number(voice.movedOctave), 14);
        text += "\n";
        for (std::size_t k = 0; k < voice.sources.size(); ++k) {
            // Why the first source was chosen stands beside it.
            std::string source = SourceText(voice.sources[k], translate);
            if (k == 0 && !voice.reason.empty()) source += " (" + voice.reason + ")";
            text += "    " + Fill(translate("from {1}"), {source}) + "\n";
        }
    }
    if (report.conductorNotes > 0)
        text += Fill(translate("conductor track: {1} notes not played"), {Number(report.conductorNotes)}) + "\n";
    text += Fill(translate("song block: {1} of {2} bytes ({3}%)"),
                 {Number(report.songBlockUsed), Number(ConversionReport::kSongBlockSize),
                  Number(report.SongBlockPercent())}) +
            (report.songBlockFull ? translate(", full") : "") + "\n";
    const std::string tempo = TempoText(report);
    text += Fill(translate("length: {1} ({2} s), tempo {3}"),
                 {MinutesAndSeconds(report.seconds), Seconds(report.seconds), tempo}) + "\n";
    text += Fill(translate("timing: unit {1} ms; {2} s at the driver's tempo against the MIDI file's {3} s; speed {4}"),
                 {Fixed(report.unitMs, 2), Seconds(report.seconds), Seconds(report.midiSeconds),
                  report.speed > 0 ? "x" + Fixed(report.speed, 3) : translate("no time at the driver's tempo")}) +
            "\n";
    if (arranged) {
        std::uint32_t kept = 0;
        for (const VoiceReport& voice : report.voices) kept += voice.rests;
        text += Fill(translate("re-timed: {1} of the notes start more than 30 ms off; rests kept {2} of {3}"),
                     {Percent(report.movedShare), Number(kept), Number(report.rests)}) +
                "\n";
    }
    const std::string advice = TempoAdvice(report, "--arrange", true, translate);
    if (!advice.empty()) text += advice + "\n";
    // The conversion's own warnings in the reader's words; the arrangement's as it gave them.
    const std::vector<std::string> english = ConversionWarnings(report);
    const std::vector<std::string> local = ConversionWarnings(report, translate);
    for (const std::string& warning : report.warnings) {
        std::string shown = warning;
        for (std::size_t k = 0; k < english.size(); ++k)
            if (warning == english[k]) shown = local[k];
        text += Fill(translate("warning: {1}"), {shown}) + "\n";
    }
    return text;
}

std::string ReportJson(const ConversionReport& report) {
    std::string json = "{\"midi\":" + Quoted(report.midiPath) + ",\"outputs\":[";
    for (std::size_t k = 0; k < report.outputs.size(); ++k) json += (k > 0 ? "," : "") + Quoted(report.outputs[k]);
    json += "],\"voices\":[";
    for (std::size_t i = 0; i < report.voices.size(); ++i) {
        const VoiceReport& voice = report.voices[i];
        if (i > 0) json += ",";
        json += "{\"voice\":" + Quoted(voice.voice) + ",\"notes\":" + Number(voice.notes) +
                ",\"dropped\":{\"overlap\":" + Number(voice.droppedOverlap) +
                ",\"zeroLength\":" + Number(voice.droppedZeroLength);
        if (report.arranged)
            json += ",\"short\":" + Number(voice.droppedShort) + ",\"fit\":" + Number(voice.droppedFit);
        json += "}";
        // Notes moved by an octave are played, not dropped.
        if (report.arranged) json += ",\"movedOctave\":" + Number(voice.movedOctave);
        json += ",\"bytes\":" + Number(voice.bytes);
        if (report.arranged) json += ",\"rests\":" + Number(voice.rests);
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
    json += ",\"tempo\":[" + TempoText(report) + "]";
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
