// RenderNsf through libgme, loaded with dlopen on first use.
#include <dlfcn.h>
#include <gme/gme.h>

#include <algorithm>

#include "Wav.h"

namespace kelvane {
namespace {

// The libgme functions a render calls.
struct Gme {
    decltype(&gme_open_data) openData = nullptr;
    decltype(&gme_ignore_silence) ignoreSilence = nullptr;
    decltype(&gme_mute_voices) muteVoices = nullptr;
    decltype(&gme_start_track) startTrack = nullptr;
    decltype(&gme_play) play = nullptr;
    decltype(&gme_warning) warning = nullptr;
    decltype(&gme_delete) destroy = nullptr;
    std::string problem;  // why it could not be loaded
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

Gme Load() {
    Gme gme;
    void* library = nullptr;
    for (const char* name : {"libgme.so.0", "libgme.so"}) {
        library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (library) break;
    }
    if (!library) {
        gme.problem = "libgme is not installed (libgme.so.0 could not be loaded)";
        return gme;
    }
    // The library stays loaded for the rest of the process.
    bool complete = Resolve(library, "gme_open_data", gme.openData) &&
                    Resolve(library, "gme_ignore_silence", gme.ignoreSilence) &&
                    Resolve(library, "gme_mute_voices", gme.muteVoices) &&
                    Resolve(library, "gme_start_track", gme.startTrack) &&
                    Resolve(library, "gme_play", gme.play) &&
                    Resolve(library, "gme_warning", gme.warning) &&
                    Resolve(library, "gme_delete", gme.destroy);
    if (!complete) gme.problem = "the installed libgme lacks a function that rendering needs";
    return gme;
}

const Gme& Library() {
    static const Gme gme = Load();
    return gme;
}

class Emulator {
public:
    explicit Emulator(const Gme& gme) : gme_(gme) {}
    ~Emulator() {
        if (emu_) gme_.destroy(emu_);
    }
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;
    Music_Emu*& Get() { return emu_; }

private:
    const Gme& gme_;
    Music_Emu* emu_ = nullptr;
};

bool Failed(gme_err_t problem, std::string& error) {
    if (!problem) return false;
    error = std::string("libgme: ") + problem;
    return true;
}

}  // namespace

bool WavRenderingBuiltIn() { return true; }

bool RenderNsf(const std::vector<std::uint8_t>& nsf, const NsfRender& request,
               std::vector<std::int16_t>& samples, std::string& error) {
    samples.clear();
    const Gme& gme = Library();
    if (!gme.problem.empty()) {
        error = gme.problem;
        return false;
    }
    Emulator emulator(gme);
    if (Failed(gme.openData(nsf.data(), static_cast<long>(nsf.size()), &emulator.Get(),
                            kWavSampleRate),
               error))
        return false;
    Music_Emu* emu = emulator.Get();
    gme.ignoreSilence(emu, 1);
    gme.muteVoices(emu, request.mutedVoices);
    if (Failed(gme.startTrack(emu, 0), error) || Failed(gme.warning(emu), error)) return false;

    constexpr std::size_t kChunk = 4096;  // stereo sample pairs per call
    std::vector<short> stereo(2 * kChunk);
    samples.reserve(request.samples);
    while (samples.size() < request.samples) {
        std::size_t count = std::min(kChunk, request.samples - samples.size());
        if (Failed(gme.play(emu, static_cast<int>(2 * count), stereo.data()), error) ||
            Failed(gme.warning(emu), error))
            return false;
        for (std::size_t i = 0; i < count; ++i)
            samples.push_back(static_cast<std::int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2));
    }
    return true;
}

}  // namespace kelvane
