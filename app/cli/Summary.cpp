#include "Summary.h"

#include "Console.h"
#include "Language.h"

namespace kelvane::cli {

void SayWhatImageHolds(const std::vector<SongResult>& results, const std::string& romPath) {
    if (results.size() < 2) return;
    for (auto result = results.rbegin(); result != results.rend(); ++result) {
        if (!result->report.romReplaced) continue;
        Print(stderr, Fill(Tr("提示: {1} holds the last song written into it, {2}"), {romPath, result->midiFile}) +
                          "\n");
        return;
    }
}

void PrintSummary(const std::vector<SongResult>& results) {
    if (results.size() < 2) return;
    std::size_t succeeded = 0, failed = 0, refused = 0;
    for (const SongResult& result : results) {
        if (result.ok) {
            ++succeeded;
        } else if (result.report.translated) {
            ++failed;
        } else {
            ++refused;  // a box said why before any track was read
        }
    }
    Print(stdout, Fill(Tr("{1} songs: {2} succeeded, {3} failed, {4} refused"),
                       {std::to_string(results.size()), std::to_string(succeeded), std::to_string(failed),
                        std::to_string(refused)}) +
                      "\n");
}

}  // namespace kelvane::cli
