#!/usr/bin/env bash
# Runs that fail: Convert before Browse, and a song with seven tracks that
# reaches the dialog by being dropped onto it.
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
expect_eq "Convert before Browse: the failure lines" '输出文件:\n转换失败!\n' "$(field status "$run")"
before=$(field status "$run")

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
expect_eq "seven tracks: the box" "Kelvane | MIDI轨道数太多" "$(field box "$run")"
expect_eq "seven tracks: the status text is unchanged" "$before" "$(field status "$run")"

expect_eq "Exit ends the program" "exited" "$(drv exit)"
wine_finish
