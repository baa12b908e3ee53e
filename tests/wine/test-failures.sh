#!/usr/bin/env bash
# Runs that fail: Convert before Browse, and a song with seven tracks that
# reaches the dialog by being dropped onto it. And Play that fails: no
# emulator, and a device that cannot take the image.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
kelvane_start

run=$(drv convert)
printf '%s\n' "$run"
expect_eq "Convert before Browse: the box" "Kelvane | 无法打开MIDI文件" "$(field box "$run")"
# Every run starts from six empty lines.
expect_eq "Convert before Browse: the failure lines" '\n\n\n\n输出文件:\n转换失败!\n' "$(field status "$run")"

folder=$(wine_path "$KELVANE_FILES")
drop=$(drv drop "$folder")
expect_eq "a dropped folder is not taken" "" "$(field path "$drop")"

seven=$(wine_path "$KELVANE_FILES/seven.mid")
drop=$(drv drop "$seven")
expect_eq "a dropped file is taken as the MIDI path" "${seven//\\/\\\\}" "$(field path "$drop")"

browse=$(drv cancel-browse)
expect_eq "Browse cancelled: the path stays" "${seven//\\/\\\\}" "$(field path "$browse")"

run=$(drv convert)
printf '%s\n' "$run"
expect_eq "seven tracks: the box" 'Kelvane | MIDI轨道数太多\n请勾选"自动编排", 把任何MIDI文件编排到五个声道' "$(field box "$run")"
expect_eq "seven tracks: an empty status, nothing of the run before" '\n\n\n\n\n\n' "$(field status "$run")"
expect_eq "seven tracks: the bar at 0" "0" "$(field progress "$run" | cut -d' ' -f1)"

# No device and no emulator beside the program.
play=$(drv play)
printf '%s\n' "$play"
expect_eq "Play without an emulator: the box" "Kelvane | 无法启动模拟器duzer.exe" "$(field box "$play")"

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
