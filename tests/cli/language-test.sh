#!/usr/bin/env bash
# The command line in the user's language: help, the report table and its
# own messages in Chinese for a Chinese locale, in English otherwise; the
# status lines and the boxes' texts read the same in both.
set -u
kelvane=$1 template=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"
unset LANGUAGE LC_ALL LC_MESSAGES LANG
export XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS="$work/data-dirs"
help_in() { env "$@" "$kelvane" --help | head -n 1; }
english="Usage: kelvane [OPTION]... MIDIFILE..."
chinese="用法: kelvane [选项]... MIDI文件..."

check "LANG=zh_CN.UTF-8: Chinese" "$chinese" "$(help_in LANG=zh_CN.UTF-8)"
check "LANG=C: English" "$english" "$(help_in LANG=C)"
check "no locale: English" "$english" "$(help_in)"
check "LANG=en_US.UTF-8: English" "$english" "$(help_in LANG=en_US.UTF-8)"
check "LANG=zh_TW.UTF-8: Chinese" "$chinese" "$(help_in LANG=zh_TW.UTF-8)"
check "LC_ALL over LANG" "$english" "$(help_in LANG=zh_CN.UTF-8 LC_ALL=C.UTF-8)"
check "LC_MESSAGES over LANG" "$chinese" "$(help_in LANG=C.UTF-8 LC_MESSAGES=zh_CN.GBK)"
check "LANGUAGE first, in a real locale" "$chinese" "$(help_in LANG=en_US.UTF-8 LANGUAGE=zh_CN:en)"
check "LANGUAGE not in the C locale" "$english" "$(help_in LANG=C LANGUAGE=zh_CN)"

# The Chinese help offers every option the English one does, in the same order.
options_of() { python3 -c 'import re, sys; print(" ".join(sorted(set(re.findall(r"(?<![\w-])--?[a-z][a-z-]*", sys.stdin.read())))))'; }
check "the same options in both" "$(LANG=C "$kelvane" --help | options_of)" \
    "$(LANG=zh_CN.UTF-8 "$kelvane" --help | options_of)"
# Wide characters take two columns: no Chinese help line is wider than 80.
check "Chinese help fits 80 columns" "" \
    "$(LANG=zh_CN.UTF-8 "$kelvane" --help | python3 -c 'import sys, unicodedata
for line in sys.stdin.read().splitlines():
    if sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line) > 80: print(line)')"

# A conversion: the same status lines in both, the report table in each language.
cp "$example" "$work/song.mid"
convert() { env "$@" "$kelvane" --template "$template" --rom "$work/ROM.BIN" --report "$work/song.mid" 2>&1; }
zh=$(convert LANG=zh_CN.UTF-8)
en=$(convert LANG=C)
check "status lines in both" "$(grep -v '^ ' <<<"$en" | head -n 3)" "$(grep -v '^ ' <<<"$zh" | head -n 3)"
check "English table: heading" "voice       notes  overlap  too short  bytes" "$(sed -n 4p <<<"$en")"
check "English table: voices" "Square1 Square2 Triangle Noise DPCM" "$(sed -n '5,9p' <<<"$en" | awk '{print $1}' | paste -sd ' ')"
check "English table: song block" 1 "$(grep -c '^song block: [0-9]* of 32768 bytes' <<<"$en")"
check "Chinese table: heading" "声道         音符     重叠       过短   字节" "$(sed -n 4p <<<"$zh")"
check "Chinese table: voices" "方波1 方波2 三角波 噪声 DPCM" "$(sed -n '5,9p' <<<"$zh" | awk '{print $1}' | paste -sd ' ')"
check "Chinese table: the same numbers" "$(sed -n '5,9p' <<<"$en" | awk '{$1 = ""; print}')" \
    "$(sed -n '5,9p' <<<"$zh" | awk '{$1 = ""; print}')"
check "Chinese table: song block and length" 2 "$(grep -c -e '^歌曲空间: [0-9]* / 32768 字节' -e '^长度: [0-9]*:[0-9][0-9] (' <<<"$zh")"
# The numbers end in the same column as their heading, in both languages.
aligned() { python3 -c 'import sys, unicodedata
lines = sys.stdin.read().replace("too short", "too_short").splitlines()[3:9]
def width(s): return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in s)
ends = [sorted(width(l[:m.end()]) for m in __import__("re").finditer(r"\S+", l))[1:] for l in lines]
print("yes" if all(e == ends[0] for e in ends) else ends)'; }
check "English columns line up" yes "$(aligned <<<"$en")"
check "Chinese columns line up" yes "$(aligned <<<"$zh")"

# The program's own messages; advice begins with "提示: " in every language,
# the boxes' texts stay Chinese.
check "usage error in Chinese" "kelvane: 未知选项 --frob" "$(LANG=zh_CN.UTF-8 "$kelvane" --frob 2>&1 | head -n 1)"
check "usage error in English" "kelvane: unknown option --frob" "$(LANG=C "$kelvane" --frob 2>&1 | head -n 1)"
for lang in C zh_CN.UTF-8; do
    err=$(LANG=$lang "$kelvane" --template "$work/none.bin" --rom "$work/ROM.BIN" "$work/song.mid" 2>&1 >/dev/null)
    check "$lang: the box stays Chinese" "无法打开RZ31ST.bin文件" "$(head -n 1 <<<"$err")"
    check "$lang: the search is advice" 1 "$(sed -n 2p <<<"$err" | grep -c '^提示: ')"
done

finish
