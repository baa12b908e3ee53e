#!/usr/bin/env bash
# Runs that fail or cannot start: Convert before Browse, a song with seven
# tracks that reaches the dialog by being dropped onto it, a template that is
# missing. And Play: no device and no emulator, no device but an emulator
# (said in the status), and a device that cannot take the image.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
kelvane_start

run=$(drv convert)
printf '%s\n' "$run"
expect_eq "Convert before Browse: the box asks for a file" "Kelvane | 请先选择MIDI文件" "$(field box "$run")"
expect_eq "Convert before Browse: nothing ran" '' "$(field status "$run")"
expect_eq "Convert before Browse: the focus back on Browse" "focus: 1001" "$(drv focus)"

folder=$(wine_path "$KELVANE_FILES")
drop=$(drv drop "$folder")
expect_eq "a dropped folder is not taken" "" "$(field path "$drop")"

seven=$(wine_path "$KELVANE_FILES/seven.mid")
drop=$(drv drop "$seven")
expect_eq "a dropped file is taken as the MIDI path" "${seven//\\/\\\\}" "$(field path "$drop")"
expect_eq "a dropped file hands the focus to Convert" "focus: 1" "$(drv focus)"

browse=$(drv cancel-browse)
expect_eq "Browse cancelled: the path stays" "${seven//\\/\\\\}" "$(field path "$browse")"

run=$(drv convert)
printf '%s\n' "$run"
expect_eq "seven tracks: the box" 'Kelvane | MIDI轨道数太多\n请勾选“自动编排”，把任何MIDI文件编排到五个声道' "$(field box "$run")"
expect_eq "seven tracks: an empty status, nothing of the run before" '\n\n\n\n\n' "$(field status "$run")"
expect_eq "seven tracks: the bar at 0" "0" "$(field progress "$run" | cut -d' ' -f1)"

# The template is missing: the box, then where the program looked for it.
rm "$KELVANE_APP/RZ31ST.bin"
drv drop "$(wine_path "$KELVANE_FILES/six.mid")" >/dev/null
run=$(drv convert)
printf '%s\n' "$run"
expect_eq "no template: the box" "Kelvane | 无法打开RZ31ST.bin文件" "$(field box "$run")"
looked=$(field status "$run" | sed 's/\\n/\n/g' | tail -n2)
expect_true "no template: the status says where it looked" \
    grep -qE '^查找模板的位置：Z:\\\\.*\\\\RZ31ST\.bin$' <<<"$(head -n1 <<<"$looked")"
expect_eq "no template: and where it belongs" "请把RZ31ST.bin放在Kelvane.exe所在的文件夹中" "$(tail -n1 <<<"$looked")"
expect_true "no template: nothing written" test ! -e "$KELVANE_FILES/six.asm"
cp "$KELVANE_FILES/RZ31ST.bin" "$KELVANE_APP/"

# No device and no emulator beside the program: said before the start, then
# the box.
play=$(drv play)
printf '%s\n' "$play"
expect_eq "Play without an emulator: the box" "Kelvane | 无法启动模拟器duzer.exe" "$(field box "$play")"
expect_eq "Play without a device: the status says so first" "未找到PX4设备，用模拟器播放" \
    "$(field status "$play" | sed 's/\\n/\n/g' | tail -n1)"

# No device, and the emulator's stand-in beside the program: no box, the
# status line, and the emulator given the image.
i686-w64-mingw32-g++ -std=c++17 -O1 -municode -static "$here/../play/RecordArgs.cpp" -o "$KELVANE_APP/duzer.exe"
play=$(drv play)
expect_eq "Play with the emulator: no box" "" "$(field box "$play")"
expect_eq "Play with the emulator: the status says there is no device" "未找到PX4设备，用模拟器播放" \
    "$(field status "$play" | sed 's/\\n/\n/g' | tail -n1)"
for i in $(seq 100); do [ -f "$KELVANE_APP/args.txt" ] && break; sleep 0.1; done
expect_eq "Play with the emulator: it gets the image" "$(printf '1\n%s' "$(wine_path "$KELVANE_APP/ROM.BIN")")" \
    "$(cat "$KELVANE_APP/args.txt" 2>/dev/null)"
rm -f "$KELVANE_APP/duzer.exe"

# A device, but no image beside the program to copy onto it.
expect_eq "Exit ends the program" "exited" "$(drv exit)"
mkdir -p "$WINE_TEST_DIR/device"
wine_add_drive e "$WINE_TEST_DIR/device" PX4
wine_restart
kelvane_start
rm -f "$KELVANE_APP/ROM.BIN"
play=$(drv play)
printf '%s\n' "$play"
expect_eq "Play without an image: the box" "Kelvane | 无法复制ROM.BIN到设备" "$(field box "$play")"
expect_true "Play without an image: nothing on the device" test ! -e "$WINE_TEST_DIR/device/ROM.BIN"

# A device whose ROM.BIN cannot be replaced (a folder stands there).
printf 'new image' >"$KELVANE_APP/ROM.BIN"
mkdir "$WINE_TEST_DIR/device/ROM.BIN"
play=$(drv play)
expect_eq "Play onto a device that refuses: the box" "Kelvane | 无法复制ROM.BIN到设备" "$(field box "$play")"
expect_eq "Play onto a device that refuses: no temporary file left" "ROM.BIN" \
    "$(ls "$WINE_TEST_DIR/device" | tr '\n' ' ' | sed 's/ $//')"
rmdir "$WINE_TEST_DIR/device/ROM.BIN"
play=$(drv play)
expect_eq "Play onto the device: silent" "" "$(field box "$play")"
expect_eq "Play onto the device: the image arrives whole" "new image" "$(cat "$WINE_TEST_DIR/device/ROM.BIN")"

expect_eq "Exit ends the program" "exited" "$(drv exit)"
wine_finish
