#include "PlayedImage.h"

#include "Console.h"
#include "FillText.h"
#include "Language.h"
#include "LastImage.h"
#include "Play.h"

namespace kelvane::cli {

bool ChooseImageToPlay(FileSystem& files, const DataEnvironment& environment, const Options& options,
                       std::string& image) {
    if (!options.romPath.empty()) return true;
    const std::string noted = NotedLastImage(files, LastImageNote(environment));
    if (noted.empty()) return true;
    if (!MakeSystemPlatform()->FileExists(noted)) {
        Print(stderr, "kelvane: " + Fill(Tr("the image the last run wrote no longer exists; it was {1}"), {noted}) + "\n");
        return false;
    }
    image = noted;
    return true;
}

void NoteWrittenImage(FileSystem& files, const DataEnvironment& environment, const std::string& image) {
    const std::string note = LastImageNote(environment);
    if (!NoteLastImage(files, note, image))
        Print(stderr, "kelvane: " + Fill(Tr("cannot note the image's place in {1}; --play alone may not find it"), {note}) +
                          "\n");
}

}  // namespace kelvane::cli
