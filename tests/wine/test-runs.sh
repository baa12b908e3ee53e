#!/usr/bin/env bash
# Runs one after another in one dialog: each shows only its own status lines
# and progress, whatever the run before it showed. Also what a run adds to
# its lines (a lyric file it could not create, a song name that is no
# label), what Browse offers and shows, and a song deep in long folders,
# arranged: its path shortened in the middle, no number split from its unit,
# and the last line in view.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
songs="$WINE_TEST_DIR/songs"
mkdir -p "$songs"
cp "$KELVANE_FILES"/{six,five,seven,bad,three}.mid "$songs/"
cp "$KELVANE_FILES/six.mid" "$songs/lyrics.mid"
mkdir "$songs/lyrics.lrc"  # the lyric file cannot be created over a folder
cp "$KELVANE_FILES/six.mid" "$songs/my song-1.mid"
long="$songs/我的 音乐/卡拉OK 合集 第二卷/游戏音乐/第三张/森林"
mkdir -p "$long"
longname="第九首 森林关卡 背景音乐 (完整版)"
cp "$KELVANE_FILES/three.mid" "$long/$longname.mid"
# The songs on a drive of their own: short paths that every status line
# shows whole, whatever the temporary folder is called.
wine_add_drive s "$songs" ""
wine_restart
kelvane_start

win='S:'
esc() { printf '%s' "${1//\\/\\\\}"; }   # as the driver prints a path

# Browse, then Convert; leaves the driver's findings in $run.
convert() {  # file name in $songs
    drv browse "$win\\$1" >/dev/null
    run=$(drv convert)
    printf '%s\n' "$run"
}

convert six.mid
expect_eq "six tracks: status" "\\n\\n\\nMIDI轨道数:6,MIDI节拍数:480\\n输出文件:$(esc "$win\\six.asm")\\n转换成功!" \
    "$(field status "$run")"
expect_eq "six tracks: the bar is full" "6 of 0..6" "$(field progress "$run")"

convert five.mid
expect_eq "then five tracks: the bar is full again, not wrapped" "5 of 0..5" "$(field progress "$run")"
expect_eq "then five tracks: its own lines" \
    "\\n\\n\\nMIDI轨道数:5,MIDI节拍数:480\\n输出文件:$(esc "$win\\five.asm")\\n转换成功!" "$(field status "$run")"

# A refused file after a success: nothing of the success remains.
convert bad.mid
expect_eq "refused file: the box" "Kelvane | MIDI文件无法识别" "$(field box "$run")"
expect_eq "refused file: no output named, no success left over" '\n\n\n\n输出文件:\n转换失败!' \
    "$(field status "$run")"
expect_eq "refused file: the bar back at 0" "0 of 0..5" "$(field progress "$run")"

convert six.mid >/dev/null
convert seven.mid
expect_eq "seven tracks after a success: the box" 'Kelvane | MIDI轨道数太多\n请勾选“自动编排”，把任何MIDI文件编排到五个声道' "$(field box "$run")"
expect_eq "seven tracks after a success: an empty status" '\n\n\n\n\n' "$(field status "$run")"
expect_eq "seven tracks after a success: the bar at 0" "0 of 0..6" "$(field progress "$run")"

# The lyric file's failure is the run's failure, in its status.
convert lyrics.mid
expect_eq "lyric file not created: its line, and the run failed" \
    "\\n\\nMIDI轨道数:6,MIDI节拍数:480\\n***错误*** 无法创建歌词文件\\n输出文件:$(esc "$win\\lyrics.asm")\\n转换失败!" \
    "$(field status "$run")"
expect_eq "lyric file not created: no box" "" "$(field box "$run")"

# A song name that is no assembler label: said once, before the output line.
convert "my song-1.mid"
expect_eq "song name that is no label: the hint" \
    "\\n\\nMIDI轨道数:6,MIDI节拍数:480\\n提示: 歌曲名“my song-1”不是合法的汇编标号\\n输出文件:$(esc "$win\\my song-1.asm")\\n转换成功!" \
    "$(field status "$run")"
convert bad.mid >/dev/null
drv browse "$win\\my song-1.mid" >/dev/null
run=$(drv convert)
expect_eq "the hint again in the next run that writes" 1 "$(grep -o '提示: ' <<<"$(field status "$run")" | wc -l)"

# Browse: the file types, and a long path. (A name typed without its
# extension cannot be tried here: Wine's file dialog refuses a name that does
# not exist before it adds the default extension.)
longwin='S:\我的 音乐\卡拉OK 合集 第二卷\游戏音乐\第三张\森林\'"$longname.mid"
browse=$(drv browse "$longwin")
printf '%s\n' "$browse"
expect_eq "the file types offered" "MIDI文件(*.mid;*.midi;*.kar) | 所有文件(*.*)" "$(field 'file types' "$browse")"
expect_eq "long path: taken" "$(esc "$longwin")" "$(field path "$browse")"
expect_eq "long path: its end, the file name, is in view" "yes" "$(field 'path end shown' "$browse")"

# Arranged, with an NSF: more lines than the box holds, and the longest ones.
drv check 1006 on >/dev/null
drv check 1008 on >/dev/null
run=$(drv convert)
view=$(drv view)
printf '%s\n%s\n' "$run" "$view"
lines=$(field status "$run" | sed 's/\\n/\n/g')
expect_eq "long path, arranged: the last line is in view" "yes" "$(field 'status last line shown' "$view")"
expect_eq "long path, arranged: the box scrolled to it" "yes" \
    "$(field 'status view' "$view" | awk '{ print ($5 > 0) ? "yes" : "no" }')"
expect_eq "long path, arranged: every line ends inside the box" "yes" "$(field 'status lines fit' "$view")"
expect_true "long path, arranged: no wrap splits a number from its unit" \
    test -z "$(field 'status wraps' "$view" | grep -o 'BAD:[^ ]*')"
expect_true "long path, arranged: the success line is there" grep -qx '转换成功!' <<<"$lines"
expect_true "long path, arranged: the output line keeps the drive and the file name" \
    grep -qE '^输出文件:S:\\\\(.*\\\\)?\.\.\.\\\\第九首 森林关卡 背景音乐 \(完整版\)\.asm$' <<<"$lines"
expect_true "long path, arranged: the report is named, shortened" \
    grep -qE '^已写入报告文件：S:\\\\(.*\\\\)?\.\.\.\\\\第九首 森林关卡 背景音乐 \(完整版\)\.report\.txt$' <<<"$lines"
expect_true "long path, arranged: the NSF is named last, shortened" \
    grep -qE '^已导出NSF文件：S:\\\\(.*\\\\)?\.\.\.\\\\第九首 森林关卡 背景音乐 \(完整版\)\.nsf$' <<<"$(tail -n1 <<<"$lines")"
expect_true "long path, arranged: the report and the NSF are written" \
    test -s "$long/$longname.report.txt" -a -s "$long/$longname.nsf"
shot="$WINE_TEST_DIR/long-path.png"
kelvane_screenshot "$shot"
kelvane_keep "$shot" long-path.png

expect_eq "Exit ends the program" "exited" "$(drv exit)"
wine_finish
