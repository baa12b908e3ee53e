#!/usr/bin/env bash
# Runs one after another in one dialog: each shows only its own status lines
# and progress, whatever the run before it showed. Also what a run adds to
# its lines (a lyric file it could not create, a song name that is no
# label) and what Browse offers and shows.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
songs="$WINE_TEST_DIR/songs"
mkdir -p "$songs"
cp "$KELVANE_FILES"/{six,five,seven,bad}.mid "$songs/"
cp "$KELVANE_FILES/six.mid" "$songs/lyrics.mid"
mkdir "$songs/lyrics.lrc"  # the lyric file cannot be created over a folder
cp "$KELVANE_FILES/six.mid" "$songs/my song-1.mid"
long="$songs/a folder whose name is long enough/and another one below it/卡拉OK 歌曲集 第二卷/最后一层文件夹"
mkdir -p "$long"
cp "$KELVANE_FILES/six.mid" "$long/很长的路径里的歌.mid"
kelvane_start

win=$(wine_path "$songs")
esc() { printf '%s' "${1//\\/\\\\}"; }   # as the driver prints a path

# Browse, then Convert; leaves the driver's findings in $run.
convert() {  # file name in $songs
    drv browse "$win\\$1" >/dev/null
    run=$(drv convert)
    printf '%s\n' "$run"
}

convert six.mid
expect_eq "six tracks: status" "\\n\\n\\nMIDI轨道数:6,MIDI节拍数:480\\n输出文件:$(esc "$win\\six.asm")\\n转换成功!\\n" \
    "$(field status "$run")"
expect_eq "six tracks: the bar is full" "6 of 0..6" "$(field progress "$run")"

convert five.mid
expect_eq "then five tracks: the bar is full again, not wrapped" "5 of 0..5" "$(field progress "$run")"
expect_eq "then five tracks: its own lines" \
    "\\n\\n\\nMIDI轨道数:5,MIDI节拍数:480\\n输出文件:$(esc "$win\\five.asm")\\n转换成功!\\n" "$(field status "$run")"

# A refused file after a success: nothing of the success remains.
convert bad.mid
expect_eq "refused file: the box" "Kelvane | MIDI文件无法识别" "$(field box "$run")"
expect_eq "refused file: no output named, no success left over" '\n\n\n\n输出文件:\n转换失败!\n' \
    "$(field status "$run")"
expect_eq "refused file: the bar back at 0" "0 of 0..5" "$(field progress "$run")"

convert six.mid >/dev/null
convert seven.mid
expect_eq "seven tracks after a success: the box" 'Kelvane | MIDI轨道数太多\n请勾选"自动编排", 把任何MIDI文件编排到五个声道' "$(field box "$run")"
expect_eq "seven tracks after a success: an empty status" '\n\n\n\n\n\n' "$(field status "$run")"
expect_eq "seven tracks after a success: the bar at 0" "0 of 0..6" "$(field progress "$run")"

# The lyric file's failure is the run's failure, in its status.
convert lyrics.mid
expect_eq "lyric file not created: its line, and the run failed" \
    "\\n\\nMIDI轨道数:6,MIDI节拍数:480\\n***错误*** 无法创建歌词文件\\n输出文件:$(esc "$win\\lyrics.asm")\\n转换失败!\\n" \
    "$(field status "$run")"
expect_eq "lyric file not created: no box" "" "$(field box "$run")"

# A song name that is no assembler label: said once, before the output line.
convert "my song-1.mid"
expect_eq "song name that is no label: the hint" \
    "\\n\\nMIDI轨道数:6,MIDI节拍数:480\\n提示: 歌曲名\"my song-1\"不是合法的汇编标号\\n输出文件:$(esc "$win\\my song-1.asm")\\n转换成功!\\n" \
    "$(field status "$run")"
convert bad.mid >/dev/null
drv browse "$win\\my song-1.mid" >/dev/null
run=$(drv convert)
expect_eq "the hint again in the next run that writes" 1 "$(grep -o '提示: ' <<<"$(field status "$run")" | wc -l)"

# Browse: the file types, and a long path. (A name typed without its
# extension cannot be tried here: Wine's file dialog refuses a name that does
# not exist before it adds the default extension.)
longwin=$(wine_path "$long/很长的路径里的歌.mid")
browse=$(drv browse "$longwin")
printf '%s\n' "$browse"
expect_eq "the file types offered" "MIDI文件(*.mid;*.midi;*.kar) | 所有文件(*.*)" "$(field 'file types' "$browse")"
expect_eq "long path: taken" "$(esc "$longwin")" "$(field path "$browse")"
expect_eq "long path: its end, the file name, is in view" "yes" "$(field 'path end shown' "$browse")"
shot="$WINE_TEST_DIR/long-path.png"
kelvane_screenshot "$shot"
kelvane_keep "$shot" long-path.png

expect_eq "Exit ends the program" "exited" "$(drv exit)"
wine_finish
