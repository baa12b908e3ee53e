#!/usr/bin/env bash
# A conversion that takes a while runs beside the window, not in it: while a
# large song is arranged the window answers at once, Convert is disabled and
# the status says what is going on; the run ends as one that took no time
# would. Esc or Exit during such a run waits for it, then ends the program
# with the run's files whole.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
songs="$WINE_TEST_DIR/songs"
mkdir -p "$songs"
python3 "$here/make-test-files.py" --crowded 32 "$songs/crowded.mid"
kelvane_start

drv drop "$(wine_path "$songs/crowded.mid")" >/dev/null
drv check 1006 on >/dev/null
busy=$(drv busy)
printf '%s\n' "$busy"
expect_eq "a run was seen going" "yes" "$(field 'run seen' "$busy")"
expect_true "the window answered again and again while it ran ($(field 'answers while running' "$busy"))" \
    test "$(field 'answers while running' "$busy")" -ge 3
expect_true "each answer came at once ($(field 'longest answer ms' "$busy") ms)" \
    test "$(field 'longest answer ms' "$busy")" -lt 1000
expect_eq "the status says the song is being arranged" "正在编排，请稍候……" "$(field 'status while running' "$busy")"
expect_eq "no box" "" "$(field box "$busy")"
expect_true "the run ends as usual" grep -q '\\n转换成功!\\n已写入报告文件：' <<<"$(field status "$busy")"
expect_eq "the bar full at its end: six tracks arranged" "6 of 0..6" "$(field progress "$busy")"
expect_eq "the focus on Convert again" "focus: 1" "$(drv focus)"

# Esc, then Exit, while the same song is converted again: each waits.
for how in esc button; do
    rm -f "$songs/crowded.asm" "$KELVANE_APP/ROM.BIN"
    leave=$(drv exit-during-run "$how")
    printf '%s\n' "$leave"
    expect_eq "$how during a run: the dialog stays while it runs" "yes" "$(field 'open while the run goes' "$leave")"
    expect_true "$how during a run: the status says it closes after the run" \
        grep -q '转换结束后退出$' <<<"$(field 'status after Exit' "$leave")"
    expect_eq "$how during a run: Exit is not taken twice" "no" "$(field 'Exit enabled' "$leave")"
    expect_eq "$how during a run: no box" "" "$(field box "$leave")"
    expect_true "$how during a run: the program ends after the run" grep -qx 'exited after the run' <<<"$leave"
    expect_true "$how during a run: the run's .asm is whole" grep -q 'crowded_' "$songs/crowded.asm"
    expect_true "$how during a run: ROM.BIN is whole" \
        test "$(stat -c %s "$KELVANE_APP/ROM.BIN" 2>/dev/null)" = 524288
    if [ "$how" = esc ]; then
        kelvane_start
        drv drop "$(wine_path "$songs/crowded.mid")" >/dev/null
        drv check 1006 on >/dev/null
    fi
done
wine_finish
