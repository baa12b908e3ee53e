#!/usr/bin/env bash
# A whole conversion through the dialog: Browse picks a song with a Chinese
# name through the real file dialog and hands the focus to Convert, Convert
# runs it, the status lines and the progress bar show the run, the files equal
# what the command line writes, Alt+C converts again, and Play hands the image
# to the device and says so.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
# The song on drive D:, in a folder whose name has Chinese and a space.
mkdir -p "$WINE_TEST_DIR/d" "$WINE_TEST_DIR/device"
wine_add_drive d "$WINE_TEST_DIR/d" ""
# And the device, for Play.
wine_add_drive f "$WINE_TEST_DIR/device" PX4
wine_restart
songs="$WINE_TEST_DIR/d/我的 歌曲"
mkdir -p "$songs"
cp "$KELVANE_FILES/six.mid" "$songs/小星星.mid"
kelvane_start

midi='D:\我的 歌曲\小星星.mid'
asm="${midi%.mid}.asm"
browse=$(drv browse "$midi")
printf '%s\n' "$browse"
expect_eq "Browse shows the chosen path in edit 1000" "${midi//\\/\\\\}" "$(field path "$browse")"
expect_eq "Browse hands the focus to Convert" "focus: 1" "$(drv focus)"

# The song name is no assembler label, and the status says so.
expected_status='\n\nMIDI轨道数:6,MIDI节拍数:480\n提示: 歌曲名“小星星”不是合法的汇编标号\n输出文件:'"${asm//\\/\\\\}"'\n转换成功!'
run=$(drv enter)
printf '%s\n' "$run"
expect_eq "Enter converts the chosen file: no message box" "" "$(field box "$run")"
expect_eq "status lines after a clean six-track run" "$expected_status" "$(field status "$run")"
expect_eq "progress bar at its full range" "6 of 0..6" "$(field progress "$run")"

shot="$WINE_TEST_DIR/converted.png"
kelvane_screenshot "$shot"
kelvane_keep "$shot" kelvane-dialog.png

for ext in asm h lrc; do
    expect_true "$ext file written beside the song" test -s "$songs/小星星.$ext"
done
expect_true "ROM.BIN written beside the program, 512 KB" \
    test "$(stat -c %s "$KELVANE_APP/ROM.BIN" 2>/dev/null)" = 524288
label=$(printf '小星星_Square1:' | iconv -f UTF-8 -t GBK)
expect_true "labels carry the song name in GBK" grep -qF "$label" "$songs/小星星.asm"

# The command line, given the same song under the same name elsewhere.
cli="$WINE_TEST_DIR/cli"
mkdir -p "$cli/songs"
cp "$KELVANE_CLI" "$cli/kelvane-cli.exe"
cp "$KELVANE_FILES/RZ31ST.bin" "$cli/"
cp "$KELVANE_FILES/six.mid" "$cli/songs/小星星.mid"
wine_run "$cli/kelvane-cli.exe" "$(wine_path "$cli/songs/小星星.mid")" >"$WINE_TEST_DIR/cli.log" 2>&1
expect_eq "the command line converts the song" 0 "$?"
for ext in asm h lrc; do
    expect_true "$ext file equals the command line's" cmp "$songs/小星星.$ext" "$cli/songs/小星星.$ext"
done
expect_true "ROM.BIN equals the command line's" cmp "$KELVANE_APP/ROM.BIN" "$cli/ROM.BIN"

# Convert again with the keyboard, Alt+C: the same file, the same result,
# the dialog still open.
rm -f "$songs/小星星.asm"
run=$(drv key c)
printf '%s\n' "$run"
expect_true "Alt+C converts: the .asm is written again" test -s "$songs/小星星.asm"
expect_eq "Alt+C: the same lines" "$expected_status" "$(field status "$run")"
expect_eq "Alt+C: the bar filled again" "6 of 0..6" "$(field progress "$run")"
expect_eq "Alt+C: the focus back on Convert after the run" "1" "$(field focus "$run")"
expect_true "ROM.BIN unchanged by the second run" cmp "$KELVANE_APP/ROM.BIN" "$cli/ROM.BIN"

# Play: the image goes onto the device, and the status says so.
play=$(drv play)
expect_eq "Play shows no box" "" "$(field box "$play")"
expect_eq "Play says where the image went" "$expected_status"'\n已复制到PX4设备: F:\\ROM.BIN' "$(field status "$play")"
expect_true "Play copies ROM.BIN onto the PX4 drive" cmp "$KELVANE_APP/ROM.BIN" "$WINE_TEST_DIR/device/ROM.BIN"

expect_eq "Exit ends the program" "exited" "$(drv exit)"
wine_finish
