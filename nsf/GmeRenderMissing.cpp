// RenderNsf where libgme was not built in (the Windows build).
#include "Wav.h"

namespace kelvane {

bool WavRenderingBuiltIn() { return false; }

bool RenderNsf(const std::vector<std::uint8_t>&, const NsfRender&, std::vector<std::int16_t>& samples,
               std::string& error) {
    samples.clear();
    error = "WAV rendering is not built into this program (it was built without libgme)";
    return false;
}

}  // namespace kelvane
