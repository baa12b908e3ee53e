// The advice when a song name makes labels that assemblers reject, in the
// dialog's Chinese or the command line's language. The labels stay
// as they are, since users' toolchains may rely on them; the user is only told.
#pragma once

#include <string>

#include "FillText.h"
#include "Translation.h"

namespace kelvane {

// `提示: 歌曲名"NAME"不是合法的汇编标号` (no newline) when `songName` (UTF-8)
// is not a plain identifier; "" when it is.
std::string LabelAdvice(const std::string& songName, Translator translate = InChinese);

}  // namespace kelvane
