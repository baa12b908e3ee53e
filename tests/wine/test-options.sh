#!/usr/bin/env bash
# The two check boxes under the buttons. Without them a format-0 song loses
# its notes and a seven-track song is refused, and both say which box helps;
# 自动编排 arranges either onto the five channels, shows what each voice got
# and leaves a report; 导出NSF writes the song as an NSF, but only after a
# run that succeeded. The status names each of these files, or says why it is
# missing; one that cannot be written shows a box, and one that would
# overwrite the song refuses the run. 和弦琶音, with 自动编排 only, has Square2
# arpeggiate the chords, and the report says how many chord notes it kept.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_files
songs="$WINE_TEST_DIR/songs"
mkdir -p "$songs"
cp "$KELVANE_FILES"/{six,seven,three,chords}.mid "$songs/"
cp "$KELVANE_FILES/six.mid" "$songs/lyrics.mid"
mkdir "$songs/lyrics.lrc"  # a run that fails after its tracks: no lyric file
cp "$KELVANE_FILES/six.mid" "$songs/clash.nsf"  # a song whose NSF would be itself
cp "$KELVANE_FILES/six.mid" "$songs/held.mid"
mkdir "$songs/held.nsf"  # an NSF that cannot be written
cp "$KELVANE_FILES/three.mid" "$songs/kept.mid"
mkdir "$songs/kept.report.txt"  # a report that cannot be written
# The songs on a drive of their own: short paths that the status shows whole.
wine_add_drive s "$songs" ""
wine_restart
kelvane_start

win='S:\'

esc() { printf '%s' "${1//\\/\\\\}"; }   # as the driver prints a path
ARRANGE=1006
EXPORT_NSF=1008

# Drops a song onto the dialog and converts it; leaves the findings in $run.
convert() {  # file name in $songs
    drv drop "$win$1" >/dev/null
    run=$(drv convert)
    printf '%s\n' "$run"
}
# The status text of the last run, one line a line.
status_lines() { field status "$run" | sed 's/\\n/\n/g' | grep -v '^$'; }
line_before_output() { status_lines | grep -B1 '^输出文件:' | head -n1; }
line_after_header() { status_lines | grep -A1 '^MIDI轨道数' | sed -n 2p; }
is_nsf() { [ "$(head -c 5 "$1" 2>/dev/null | od -An -tx1 | tr -d ' ')" = 4e45534d1a ]; }

# ---- Both boxes clear: the plain conversion, and its hints.
convert three.mid
expect_eq "format 0, plain: the hint stands just before the output line" \
    '提示: 大部分音符没有进入任何声道，请勾选“自动编排”' "$(line_before_output)"
expect_true "format 0, plain: no report and no NSF" \
    test ! -e "$songs/three.report.txt" -a ! -e "$songs/three.nsf"

convert seven.mid
expect_eq "seven tracks, plain: the box names the check box" \
    'Kelvane | MIDI轨道数太多\n请勾选“自动编排”，把任何MIDI文件编排到五个声道' "$(field box "$run")"

# ---- 导出NSF alone: an NSF after a success, none after a failure; the
# status says which.
expect_eq "导出NSF checked" "check $EXPORT_NSF: on" "$(drv check $EXPORT_NSF on)"
convert six.mid
expect_true "NSF, plain success: six.nsf is an NSF" is_nsf "$songs/six.nsf"
expect_eq "NSF, plain success: the status names it last" '已导出NSF文件：S:\\six.nsf' "$(status_lines | tail -n1)"
expect_true "NSF, plain: no report without 自动编排" test ! -e "$songs/six.report.txt"
convert lyrics.mid
expect_eq "NSF, failed run: it ends in failure" '转换失败!' "$(status_lines | tail -n2 | head -n1)"
expect_eq "NSF, failed run: the status says why there is no NSF" '未导出NSF文件：转换没有成功' \
    "$(status_lines | tail -n1)"
expect_true "NSF, failed run: no NSF" test ! -e "$songs/lyrics.nsf"
convert seven.mid
expect_true "NSF, refused run: no NSF" test ! -e "$songs/seven.nsf"
expect_eq "NSF, refused run: the status says why" '未导出NSF文件：转换没有成功' "$(status_lines | tail -n1)"

# A song named clash.nsf would be overwritten by its own NSF: refused before
# anything is written.
convert clash.nsf
expect_eq "NSF over the song: the box" "Kelvane | 无法创建输出文件" "$(field box "$run")"
expect_eq "NSF over the song: the status says which file" '***错误*** NSF文件会覆盖MIDI文件：S:\\clash.nsf' \
    "$(status_lines | tail -n1)"
expect_true "NSF over the song: the song is as it was" cmp "$songs/clash.nsf" "$KELVANE_FILES/six.mid"
expect_true "NSF over the song: no other output written" test ! -e "$songs/clash.asm"

# An NSF that cannot be written: a box, as for the other outputs, and a line.
convert held.mid
expect_eq "NSF not writable: the box" "Kelvane | 无法写入NSF文件" "$(field box "$run")"
expect_eq "NSF not writable: the line" '***错误*** 无法写入NSF文件：S:\\held.nsf' "$(status_lines | tail -n1)"

# ---- 自动编排 with 导出NSF: any layout converts.
expect_eq "自动编排 checked" "check $ARRANGE: on" "$(drv check $ARRANGE on)"
arranged='^编排：方波1 [0-9]+音，方波2 [0-9]+音，三角波 [0-9]+音，噪声 [0-9]+击，DPCM [0-9]+击；歌曲空间 [0-9]+%$'
for song in seven three; do
    convert $song.mid
    expect_eq "$song, arranged: no box" "" "$(field box "$run")"
    expect_true "$song, arranged: success" grep -qx '转换成功!' <<<"$(status_lines)"
    expect_eq "$song, arranged: the report named" "已写入报告文件：S:\\\\$song.report.txt" \
        "$(status_lines | grep '^已写入报告文件')"
    expect_true "$song, arranged: the arrangement line just after the header" \
        grep -qE "$arranged" <<<"$(line_after_header)"
    report="$songs/$song.report.txt"
    expect_eq "$song, arranged: the report starts with a byte order mark" efbbbf \
        "$(head -c 3 "$report" 2>/dev/null | od -An -tx1 | tr -d ' ')"
    expect_eq "$song, arranged: every report line ends in CR LF" "" \
        "$(tail -c +4 "$report" 2>/dev/null | grep -nv $'\r$')"
    expect_true "$song, arranged: $song.nsf is an NSF" is_nsf "$songs/$song.nsf"
    expect_eq "$song, arranged: the report is Chinese" "声道 方波1 方波2 三角波 噪声 DPCM" \
        "$(tr -d '\r' <"$report" 2>/dev/null | tail -c +4 | awk '$1 !~ /^(来自|歌曲空间|长度|时值|重排时值|提示|指挥轨)/ { print $1 }' | paste -sd ' ')"
done
expect_true "format 0, arranged: no hint that notes were lost" \
    test -z "$(field status "$run" | grep -F '提示: ')"

# A report that cannot be written: a box and a line; the run itself stands.
convert kept.mid
expect_eq "report not writable: the box" "Kelvane | 无法写入报告文件" "$(field box "$run")"
expect_eq "report not writable: the line" '***错误*** 无法写入报告文件：S:\\kept.report.txt' \
    "$(status_lines | grep '报告文件')"
expect_true "report not writable: the NSF is written all the same" is_nsf "$songs/kept.nsf"
convert three.mid >/dev/null

# The status line and the report (its voices named in English or Chinese)
# count the same notes, and the arrangement keeps all 20 notes of the
# three-voice song (8 melody, 4 bass, 8 drums).
shown=$(line_after_header | grep -oE '[0-9]+[音击]' | tr -dc '0-9\n' | paste -sd' ')
counted=$(tr -d '\r' <"$songs/three.report.txt" |
    awk '$1 ~ /^(方波1|方波2|三角波|噪声|DPCM)$/ { printf "%s%s", sep, $2; sep = " " }')
expect_eq "format 0, arranged: the status counts are the report's" "$counted" "$shown"
expect_eq "format 0, arranged: every note reaches a voice" 20 "$(awk '{ for (i = 1; i <= NF; ++i) s += $i; print s }' <<<"$shown")"

# The same song through the command line's --arrange --nsf: the same NSF.
cli="$WINE_TEST_DIR/cli"
mkdir -p "$cli"
cp "$KELVANE_CLI" "$KELVANE_FILES/RZ31ST.bin" "$KELVANE_FILES/three.mid" "$cli/"
wine_run "$cli/kelvane-cli.exe" --arrange --nsf "$(wine_path "$cli")\\three.nsf" \
    "$(wine_path "$cli/three.mid")" >"$WINE_TEST_DIR/cli.log" 2>&1
expect_eq "the command line arranges the song too" 0 "$?"
expect_true "format 0, arranged: the NSF equals the command line's" cmp "$songs/three.nsf" "$cli/three.nsf"
for ext in asm h; do
    expect_true "format 0, arranged: the .$ext equals the command line's" cmp "$songs/three.$ext" "$cli/three.$ext"
done
expect_true "format 0, arranged: ROM.BIN equals the command line's" cmp "$KELVANE_APP/ROM.BIN" "$cli/ROM.BIN"

# ---- 和弦琶音 with 自动编排: Square2 arpeggiates the chords of a fast song,
# the report says how many chord notes it kept, and the outputs are those of
# `--arrange --chords arpeggio`.
chord_line() { tr -d '\r' <"$1" 2>/dev/null | grep -o '方波2以琶音奏出和弦, 保留了[0-9]*个和弦音'; }
convert chords.mid >/dev/null
expect_eq "chords, 和弦琶音 clear: no arpeggio" "" "$(chord_line "$songs/chords.report.txt")"
cp "$songs/chords.asm" "$WINE_TEST_DIR/chords-plain.asm"
expect_eq "和弦琶音 checked" "check 1009: on" "$(drv check 1009 on)"
convert chords.mid >/dev/null
expect_eq "chords, arpeggiated: success, the report named" "转换成功!
已写入报告文件：S:\\\\chords.report.txt" "$(status_lines | grep -x -e '转换成功!' -e '已写入报告文件.*')"
kept=$(chord_line "$songs/chords.report.txt")
expect_true "chords, arpeggiated: the report says how many chord notes were kept ($kept)" \
    grep -qE '保留了[1-9][0-9]*个' <<<"$kept"
expect_eq "chords, arpeggiated: said as a hint" "提示: $kept" \
    "$(tr -d '\r' <"$songs/chords.report.txt" | grep -F "$kept")"
expect_true "chords, arpeggiated: Square2 plays other notes than without" \
    test -n "$(cmp "$songs/chords.asm" "$WINE_TEST_DIR/chords-plain.asm" 2>&1)"
cp "$KELVANE_FILES/chords.mid" "$cli/"
wine_run "$cli/kelvane-cli.exe" --arrange --chords arpeggio --report-json "$(wine_path "$cli")\\chords.json" \
    --nsf "$(wine_path "$cli")\\chords.nsf" "$(wine_path "$cli/chords.mid")" >"$WINE_TEST_DIR/cli.log" 2>&1
expect_eq "the command line arpeggiates the chords too" 0 "$?"
expect_eq "chords: the command line keeps as many chord notes" "$kept" \
    "$(grep -o '方波2以琶音奏出和弦, 保留了[0-9]*个和弦音' "$cli/chords.json")"
for ext in nsf asm h; do
    expect_true "chords, arpeggiated: the .$ext equals the command line's" cmp "$songs/chords.$ext" "$cli/chords.$ext"
done
expect_true "chords, arpeggiated: ROM.BIN equals the command line's" cmp "$KELVANE_APP/ROM.BIN" "$cli/ROM.BIN"

expect_eq "Exit ends the program" "exited" "$(drv exit)"
wine_finish
