#include "LabelAdvice.h"

#include "SongName.h"

namespace kelvane {

std::string LabelAdvice(const std::string& songName) {
    if (IsPlainIdentifier(songName)) return std::string();
    return "提示: 歌曲名\"" + songName + "\"不是合法的汇编标号";
}

}  // namespace kelvane
