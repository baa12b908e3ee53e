#!/usr/bin/env bash
# Play under Wine, through the Windows command line (kelvane-cli.exe --play):
# a drive labelled PX4 receives ROM.BIN, drives labelled px4 or a later PX4
# do not; with no such drive a stand-in emulator beside the program receives
# exactly one argument, the image path, intact in a directory whose name has
# a space or Chinese characters.
#
# Given the Linux command line too, it checks that Linux hands "duzer.exe"
# to Wine the same way when there is no native "duzer".
#
# Usage: play-test.sh WINDOWS_BUILD_DIR [LINUX_KELVANE]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
win_build=$(cd "${1:?usage: play-test.sh WINDOWS_BUILD_DIR}" && pwd)
# Beside the dialog the command line is kelvane-cli.exe (Windows cannot hold
# both Kelvane.exe and kelvane.exe in one folder).
kelvane_exe="$win_build/app/cli/kelvane-cli.exe"
[ -f "$kelvane_exe" ] || kelvane_exe="$win_build/app/cli/kelvane.exe"
[ -f "$kelvane_exe" ] || { echo "no command line in $win_build: run make windows" >&2; exit 1; }
linux_kelvane=${2-}

# shellcheck source=lib.sh
source "$here/lib.sh"
wine_setup

# The emulator's stand-in, built for Windows like the program it stands in for.
recorder="$WINE_TEST_DIR/duzer.exe"
i686-w64-mingw32-g++ -std=c++17 -O1 -municode -static "$here/../play/RecordArgs.cpp" -o "$recorder"

# Waits for the detached stand-in to leave its record in `dir`.
recorded() {
    local dir=$1 i
    for i in $(seq 100); do
        [ -f "$dir/args.txt" ] && break
        sleep 0.1
    done
    cat "$dir/args.txt" 2>/dev/null || true
}

# A program directory with the command line and an image in it.
make_program_dir() {
    local dir=$1
    mkdir -p "$dir"
    cp "$kelvane_exe" "$dir/kelvane-cli.exe"
    printf 'image from %s' "$(basename "$dir")" >"$dir/ROM.BIN"
}

sticks="$WINE_TEST_DIR/sticks"
mkdir -p "$sticks/d" "$sticks/e" "$sticks/g"
wine_add_drive d "$sticks/d" px4
wine_add_drive e "$sticks/e" PX4
wine_add_drive g "$sticks/g" PX4
printf 'old image' >"$sticks/e/ROM.BIN"
wine_restart

program="$WINE_TEST_DIR/kelvane prog"
make_program_dir "$program"
status=0
wine_run "$program/kelvane-cli.exe" --play >"$WINE_TEST_DIR/device.out" 2>&1 || status=$?
expect_eq "device: exit status" 0 "$status"
expect_eq "device: E: labelled PX4 receives the image" "image from kelvane prog" \
    "$(cat "$sticks/e/ROM.BIN")"
expect_true "device: D: labelled px4 receives nothing" test ! -e "$sticks/d/ROM.BIN"
expect_eq "device: E: holds the image and no temporary file" "ROM.BIN" "$(ls "$sticks/e")"
expect_true "device: G:, a second PX4, receives nothing" test ! -e "$sticks/g/ROM.BIN"
expect_true "device: the emulator is not started" test ! -e "$program/args.txt"
# The tests run in a Chinese locale, so the command line speaks Chinese.
expect_true "device: the command line says where the image went" \
    grep -q '已把 .* 复制到设备: E:\\ROM.BIN' "$WINE_TEST_DIR/device.out"

rm -f "$WINEPREFIX/dosdevices/d:" "$WINEPREFIX/dosdevices/e:" "$WINEPREFIX/dosdevices/g:"
wine_restart

for name in "kelvane prog" "音乐 工具" "音乐工具"; do
    program="$WINE_TEST_DIR/$name"
    make_program_dir "$program"
    cp "$recorder" "$program/duzer.exe"
    status=0
    wine_run "$program/kelvane-cli.exe" --play >"$WINE_TEST_DIR/emulator.out" 2>&1 || status=$?
    expect_eq "emulator in '$name': exit status" 0 "$status"
    expect_eq "emulator in '$name': one argument, the image path" \
        "$(printf '1\n%s' "$(wine_path "$program/ROM.BIN")")" "$(recorded "$program")"
done

program="$WINE_TEST_DIR/no emulator"
make_program_dir "$program"
status=0
wine_run "$program/kelvane-cli.exe" --play >"$WINE_TEST_DIR/missing.out" 2>&1 || status=$?
expect_eq "no emulator: exit status" 1 "$status"
expect_true "no emulator: the command line says it cannot start it" \
    grep -q '无法启动 .*duzer.exe' "$WINE_TEST_DIR/missing.out"

if [ -n "$linux_kelvane" ]; then
    program="$WINE_TEST_DIR/linux 音乐"
    mkdir -p "$program"
    cp "$linux_kelvane" "$program/kelvane"
    cp "$recorder" "$program/duzer.exe"
    # A template beside the program makes it the portable layout, whose
    # image lies beside it too.
    printf 'template' >"$program/RZ31ST.bin"
    printf 'image' >"$program/ROM.BIN"
    status=0
    # No note of an image from the user's own runs: a fresh state folder.
    XDG_STATE_HOME="$WINE_TEST_DIR/state" timeout "$WINE_TIMEOUT" "$program/kelvane" --play \
        >"$WINE_TEST_DIR/linux.out" 2>&1 || status=$?
    expect_eq "linux through wine: exit status" 0 "$status"
    expect_eq "linux through wine: one argument, the image path" \
        "$(printf '1\n%s' "$(wine_path "$program/ROM.BIN")")" "$(recorded "$program")"
fi

wine_finish
