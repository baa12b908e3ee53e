// The program's own words. Texts shown to a person are UTF-8; the two comment
// texts written into the .asm file are GBK bytes, as every text in the output
// files is.
#pragma once

namespace kelvane::msg {

// Message boxes.
inline constexpr char kCannotOpenMidi[] = "无法打开MIDI文件";
inline constexpr char kNotMidi[] = "MIDI文件无法识别";
inline constexpr char kUnsupportedFormat[] = "不支持的MIDI文件格式";
inline constexpr char kCannotCreateOutput[] = "无法创建输出文件";
inline constexpr char kCannotOpenTemplate[] = "无法打开RZ31ST.bin文件";
inline constexpr char kTooManyTracks[] = "MIDI轨道数太多";
inline constexpr char kMidiTooLarge[] = "MIDI文件太大";
inline constexpr char kOutOfMemory[] = "内存不足";

// Status lines; the %d and %s fields are filled by FormatLine.
inline constexpr char kHeaderLine[] = "MIDI轨道数:%d,MIDI节拍数:%d\n";
inline constexpr char kBadTrackChunk[] = "***错误*** MIDI轨道%d格式无法识别\n";
inline constexpr char kBadTrackData[] = "***错误*** MIDI轨道%d数据无法解析\n";
inline constexpr char kSongBlockFull[] = "***错误*** MIDI轨道%d数据超出歌曲空间\n";
inline constexpr char kCannotWriteOutput[] = "***错误*** 无法写入输出文件\n";
inline constexpr char kOutputFileLine[] = "输出文件:%s\n";
inline constexpr char kFailure[] = "转换失败!\n";
inline constexpr char kSuccess[] = "转换成功!\n";
inline constexpr char kCannotCreateLyrics[] = "***错误*** 无法创建歌词文件\n";

// Comment texts of the .asm file, GBK.
// "\t;设备: " (device name)
inline constexpr char kDeviceCommentGbk[] = "\t;\xC9\xE8\xB1\xB8: ";
// "\t;忽略: After_touch" (ignored)
inline constexpr char kAftertouchCommentGbk[] = "\t;\xBA\xF6\xC2\xD4: After_touch";

}  // namespace kelvane::msg
