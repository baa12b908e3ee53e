// What --nsf and --wav write after a successful conversion: the song as an
// NSF played by our own driver, and a WAV preview rendered from that NSF.
// Both front ends call WriteNsfOutputs with the converter of a successful
// run, whose song block it emits with NsfLabelValues straight into the NSF.
#pragma once

#include <string>
#include <vector>

#include "Converter.h"
#include "FileSystem.h"
#include "FillText.h"

namespace kelvane {

struct NsfOutputs {
    std::string nsfPath;  // empty: no NSF
    std::string wavPath;  // empty: no WAV
};

// False where this build cannot render a WAV (no libgme): --wav is then a
// usage error, in the words of kWavUnavailable.
bool WavOutputAvailable();
extern const char kWavUnavailable[];

// Writes the files asked for for the song of the converter's last run,
// emitted with NsfLabelValues straight into the NSF, each file through a
// temporary file that replaces the target only when complete. The NSF comes
// first and stays whatever becomes of the WAV, which libgme renders from it.
// Returns an empty string, or what failed: one line for each file, without
// a line end after the last. The paths written are added to `written`.
// Failures are in English unless `translate` gives the user's language.
std::string WriteNsfOutputs(FileSystem& files, const Converter& converter, const std::string& songName,
                            const NsfOutputs& outputs, std::vector<std::string>* written = nullptr,
                            Translator translate = nullptr);

}  // namespace kelvane
