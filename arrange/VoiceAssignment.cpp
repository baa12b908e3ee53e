// --voices square1=t2,square2=t3c5,triangle=c4,noise=c10,dpcm=none
#include <cctype>

#include "Arrange.h"

namespace kelvane::arrange {
namespace {

const char* const kSpecNames[kVoiceCount] = {"square1", "square2", "triangle", "noise", "dpcm"};

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (;;) {
        std::size_t at = text.find(separator, from);
        pieces.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return pieces;
        from = at + 1;
    }
}

// "t2", "c10", "t3c5": false when it is none of these.
bool ParseSelector(const std::string& text, Selector& selector, std::string& error) {
    std::size_t at = 0;
    auto number = [&](int& value) {
        std::size_t begin = at;
        long long n = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - begin < 6)
            n = n * 10 + (text[at++] - '0');
        value = static_cast<int>(n);
        return at > begin;
    };
    bool any = false;
    if (at < text.size() && text[at] == 't') {
        ++at;
        if (!number(selector.track)) return false;
        any = true;
    }
    if (at < text.size() && text[at] == 'c') {
        ++at;
        int channel = 0;
        if (!number(channel)) return false;
        if (channel < 1 || channel > 16) {
            error = "MIDI通道应在1到16之间: " + text;
            return false;
        }
        selector.channel = channel - 1;
        any = true;
    }
    return any && at == text.size();
}

}  // namespace

bool ParseVoiceSpec(const std::string& spec, VoiceAssignment& assignment, std::string& error) {
    VoiceAssignment parsed = assignment;
    std::array<bool, kVoiceCount> seen{};
    std::string trimmed;
    for (char c : spec)
        if (!std::isspace(static_cast<unsigned char>(c))) trimmed += c;
    if (trimmed.empty()) return true;
    for (const std::string& item : Split(Lowered(trimmed), ',')) {
        std::size_t equals = item.find('=');
        std::string name = item.substr(0, equals);
        int voice = -1;
        for (int v = 0; v < kVoiceCount; ++v)
            if (name == kSpecNames[v]) voice = v;
        if (equals == std::string::npos || voice < 0) {
            error = "无法识别的声道设置: " + item + " (可用的声道: square1, square2, triangle, noise, dpcm)";
            return false;
        }
        if (seen[static_cast<std::size_t>(voice)]) {
            error = "声道重复设置: " + name;
            return false;
        }
        seen[static_cast<std::size_t>(voice)] = true;
        VoiceChoice choice;
        choice.named = true;
        std::string value = item.substr(equals + 1);
        if (value != "none") {
            for (const std::string& piece : Split(value, '+')) {
                Selector selector;
                if (!ParseSelector(piece, selector, error)) {
                    if (error.empty())
                        error = "无法识别的来源: " + piece + " (例如 t2, c10, t3c5 或 none)";
                    return false;
                }
                choice.selectors.push_back(selector);
            }
        }
        parsed.voices[static_cast<std::size_t>(voice)] = choice;
    }
    assignment = parsed;
    return true;
}

}  // namespace kelvane::arrange
