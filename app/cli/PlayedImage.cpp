#include "PlayedImage.h"

#include "Console.h"
#include "LastImage.h"
#include "Play.h"

namespace kelvane::cli {

bool ChooseImageToPlay(FileSystem& files, const DataEnvironment& environment, const Options& options,
                       std::string& image) {
    if (!options.romPath.empty()) return true;
    const std::string noted = NotedLastImage(files, LastImageNote(environment));
    if (noted.empty()) return true;
    if (!MakeSystemPlatform()->FileExists(noted)) {
        Print(stderr, "kelvane: the image the last run wrote no longer exists; it was " + noted + "\n");
        return false;
    }
    image = noted;
    return true;
}

void NoteWrittenImage(FileSystem& files, const DataEnvironment& environment, const std::string& image) {
    const std::string note = LastImageNote(environment);
    if (!NoteLastImage(files, note, image))
        Print(stderr, "kelvane: cannot note the image's place in " + note + "; --play alone may not find it\n");
}

}  // namespace kelvane::cli
