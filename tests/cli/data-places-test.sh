#!/usr/bin/env bash
# An installed program: the template from the XDG data folders, the image in
# the user's data folder, the line that says where it went, and --play
# finding it there. A copy of the program stands in a folder of its own,
# with a recording "duzer" beside it for the emulator.
set -u
kelvane=$1 template=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"

run() {  # run ARGS...: the program copy, sets out, err, status
    out=$("$prog/kelvane" "$@" 2>"$work/stderr"); status=$?
    err=$(cat "$work/stderr")
}

# The emulator's arguments, once the detached stand-in has written them.
played() {
    for _ in $(seq 50); do
        [ -s "$prog/args.txt" ] && break
        sleep 0.1
    done
    cat "$prog/args.txt" 2>/dev/null
    rm -f "$prog/args.txt"
}

prog=$work/prog
mkdir -p "$prog" "$work/music" "$work/sys1" "$work/sys2/kelvane"
cp "$kelvane" "$prog/kelvane"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "$(dirname "$0")/args.txt"\n' >"$prog/duzer"
chmod +x "$prog/duzer"
cp "$example" "$work/music/song.mid"
cd "$work"

# English messages, whatever the machine's locale.
export LC_ALL=C
export HOME=$work/home XDG_DATA_HOME=$work/data-home XDG_DATA_DIRS=$work/sys1:$work/sys2
image=$XDG_DATA_HOME/kelvane/ROM.BIN
status_lines=$'MIDI轨道数:6,MIDI节拍数:480\n输出文件:music/song.asm\n转换成功!'

# Nothing anywhere: the message, then every place searched, in order.
run music/song.mid
check "none: stderr" "无法打开RZ31ST.bin文件
提示: kelvane searched for the template in: $prog/RZ31ST.bin, $XDG_DATA_HOME/kelvane/RZ31ST.bin, $work/sys1/kelvane/RZ31ST.bin, $work/sys2/kelvane/RZ31ST.bin" "$err"
check "none: status" 1 "$status"
check "none: no image" "" "$(ls "$XDG_DATA_HOME/kelvane")"

# A system-wide template: the image goes into the user's folder, made for
# it, and one line on stderr says so; the status lines stay as they are.
cp "$template" "$work/sys2/kelvane/RZ31ST.bin"
rm -rf "$XDG_DATA_HOME"
run music/song.mid
check "system template: stdout" "$status_lines" "$out"
check "system template: stderr" "提示: kelvane wrote the image to $image" "$err"
check "system template: status" 0 "$status"
check "system template: image" 524288 "$(stat -c %s "$image" 2>/dev/null)"
check "system template: nothing beside the program" "" "$(ls "$prog" | grep -v -x -e kelvane -e duzer)"

# Play without MIDI files finds the image in the user's folder.
run --play
check "play: status" 0 "$status"
check "play: emulator's argument" "$image" "$(played)"

# Converting and playing in one go hands over the image just written.
run --play music/song.mid
check "convert and play: status" 0 "$status"
check "convert and play: emulator's argument" "$image" "$(played)"

# Without XDG_DATA_HOME the user's folder is ~/.local/share/kelvane.
out=$(env -u XDG_DATA_HOME "$prog/kelvane" music/song.mid 2>&1)
check "unset data home" "$status_lines
提示: kelvane wrote the image to $HOME/.local/share/kelvane/ROM.BIN" "$out"
check "unset data home: image" 524288 "$(stat -c %s "$HOME/.local/share/kelvane/ROM.BIN" 2>/dev/null)"

# --rom names the place itself: no line about it.
run --rom "$work/mine.bin" music/song.mid
check "named image: stderr" "" "$err"
check "named image: written" 524288 "$(stat -c %s "$work/mine.bin" 2>/dev/null)"

# Play without MIDI files hands on the image the last run wrote, wherever
# that was, from whatever folder it starts in; --rom names its own.
note=$HOME/.local/state/kelvane/last-rom
check "noted: the last image" "$work/mine.bin" "$(cat "$note")"
(cd / && "$prog/kelvane" --play 2>/dev/null)
check "play the last image: emulator's argument" "$work/mine.bin" "$(played)"
run --rom "$image" --play
check "--rom and play: emulator's argument" "$image" "$(played)"
mkdir -p "$work/state"
(cd "$work/music" && XDG_STATE_HOME=$work/state "$prog/kelvane" --rom ../relative.bin song.mid >/dev/null 2>&1)
check "noted under XDG_STATE_HOME, made absolute" "$work/relative.bin" "$(cat "$work/state/kelvane/last-rom")"
check "the note is replaced whole, nothing beside it" "last-rom" "$(ls "$work/state/kelvane")"

# The noted image is gone: say so and where it was.
rm "$work/mine.bin"
run --play
check "noted image gone: status" 1 "$status"
check "noted image gone: stderr" "kelvane: the image the last run wrote no longer exists; it was $work/mine.bin" "$err"

# Without a note, play looks where the search puts the image, and says where.
rm "$note" "$image"
run --play
check "play without image: status" 1 "$status"
check "play without image: stderr" "kelvane: no ROM image $image to play; convert a MIDI file first" "$err"

# A failed run notes nothing.
printf 'x' > "$work/music/bad.mid"
run --rom "$work/other.bin" music/bad.mid
check "failed run: no note" "no" "$( [ -e "$note" ] && echo yes || echo no)"

# A user's folder that cannot be made: the engine's own words, no line
# about an image that was never written.
rm -rf "$XDG_DATA_HOME" && printf 'x' >"$XDG_DATA_HOME"
run music/song.mid
check "no user folder: stderr" "无法创建输出文件" "$err"
check "no user folder: status" 1 "$status"
rm "$XDG_DATA_HOME"

# The template beside the program: the portable layout, as before.
cp "$template" "$prog/RZ31ST.bin"
run music/song.mid
check "portable: stderr" "" "$err"
check "portable: image" 524288 "$(stat -c %s "$prog/ROM.BIN" 2>/dev/null)"
check "portable: user folder untouched" "no" "$( [ -e "$XDG_DATA_HOME" ] && echo yes || echo no)"
run --play
check "portable play: emulator's argument" "$prog/ROM.BIN" "$(played)"

finish
