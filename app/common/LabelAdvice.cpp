#include "LabelAdvice.h"

#include "SongName.h"
#include "Translation.h"

namespace kelvane {

std::string LabelAdvice(const std::string& songName, Translator translate) {
    if (IsPlainIdentifier(songName)) return std::string();
    return Fill(translate("提示: the song name \"{1}\" does not make valid assembler labels"), {songName});
}

}  // namespace kelvane
