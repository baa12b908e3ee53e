#!/usr/bin/env bash
# How the command line writes and names its files: a replaced file keeps its
# mode and owner, a symbolic link keeps pointing at its file, a folder that
# cannot be written refuses the run, the outputs of one run never name one
# another, and the NSF stays when the WAV fails.
set -u
kelvane=$1 template=$2 example=$3
work=$(mktemp -d)
errors=$(mktemp) state=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work" "$errors" "$state"' EXIT

. "$(dirname "$0")/../checks.sh"
export XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS="$work/data-dirs" XDG_STATE_HOME="$state"
run() {  # run ARGS...: sets out, err, status
    out=$("$kelvane" --template "$template" "$@" 2>"$errors"); status=$?
    err=$(cat "$errors")
}
sum() { md5sum < "$1"; }

cd "$work"
cp "$example" song.mid
run --rom ROM.BIN song.mid
check "first run" 0 "$status"

# A chmod 600 song.asm stays 600; a group-readable ROM.BIN stays so.
chmod 600 song.asm
chmod 640 ROM.BIN
chmod 444 song.h
run --rom ROM.BIN song.mid
check "modes: status" 0 "$status"
check "modes kept" "600 444 640" "$(stat -c %a song.asm song.h ROM.BIN | tr '\n' ' ' | sed 's/ $//')"
check "no temporaries left" "ROM.BIN song.asm song.h song.lrc song.mid" "$(ls | tr '\n' ' ' | sed 's/ $//')"

# A ROM.BIN that is a link onto the device still points at its file, which
# holds the new image (relative, chained and dangling links: DiskFileSystemTest).
mkdir device
printf 'old image' > device/ROM.BIN
ln -s "$work/device/ROM.BIN" link.bin
run --rom link.bin song.mid
check "link: status" 0 "$status"
check "link: still a link" "$work/device/ROM.BIN" "$(readlink link.bin)"
check "link: the file holds the image" "$(sum ROM.BIN)" "$(sum device/ROM.BIN)"

# A link onto an input is that input: refused, never written through.
cp song.mid keep.mid
ln -s keep.mid onto-midi.bin
run --rom onto-midi.bin keep.mid
check "image linked onto the MIDI file: status" 1 "$status"
check "image linked onto the MIDI file: kept" "$(sum song.mid)" "$(sum keep.mid)"
# A MIDI file that is a link onto a file named like its own .asm.
cp song.mid tune.asm
ln -s tune.asm tune.mid
run --rom ROM.BIN tune.mid
check "MIDI linked onto its own .asm: status" 1 "$status"
check "MIDI linked onto its own .asm: kept" "$(sum song.mid)" "$(sum tune.mid)"
ln -s keep.mid onto-midi.nsf
run --rom ROM.BIN --nsf onto-midi.nsf keep.mid
check "--nsf linked onto the MIDI file: status" 2 "$status"
check "--nsf linked onto the MIDI file: kept" "$(sum song.mid)" "$(sum keep.mid)"

# A folder that cannot be written: the run is refused and the old outputs
# stay. Root writes anywhere, so it runs as another user when it can.
mkdir -p ro && cp song.mid ro/song.mid && printf 'old' > ro/song.asm
cp "$kelvane" ro-kelvane && cp "$template" ro-template.bin
chmod 755 "$work" ro-kelvane && chmod 644 ro-template.bin ro/*
chmod 555 ro
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
        as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    else
        echo "SKIP read-only folder: root writes into it and no other user is at hand"
    fi
fi
if [ "$(id -u)" -ne 0 ] || [ ${#as_user[@]} -gt 0 ]; then
    out=$("${as_user[@]}" ./ro-kelvane --template ro-template.bin --rom ro/ROM.BIN ro/song.mid 2>"$errors")
    status=$?
    check "read-only folder: status" 1 "$status"
    check "read-only folder: the box" "无法创建输出文件" "$(cat "$errors")"
    check "read-only folder: old output kept, nothing new" "old song.asm song.mid" "$(cat ro/song.asm) $(ls ro | tr '\n' ' ' | sed 's/ $//')"
fi
chmod 755 ro

# The outputs of one run may not name one another, nor an input or an output
# of the conversion: a usage error, with nothing written.
mkdir pairs && cp song.mid pairs/song.mid && cp "$template" pairs/template.bin
cd pairs
refused() {  # refused NAME ARGS...
    local name=$1; shift
    local before; before=$(ls -l --time-style=+%s.%N | md5sum)
    out=$("$kelvane" "$@" 2>"$errors"); status=$?
    check "$name: status" 2 "$status"
    check "$name: nothing written" "$before" "$(ls -l --time-style=+%s.%N | md5sum)"
}
base=(--template template.bin --rom image.bin)
refused "--nsf X --wav X" "${base[@]}" --nsf X --wav X song.mid
refused "--report-json X --save-arranged X" "${base[@]}" --report-json X --save-arranged X song.mid
refused "--save-arranged X --report-json X" "${base[@]}" --save-arranged X --report-json X song.mid
refused "--nsf X --report-json X" "${base[@]}" --nsf X --report-json X song.mid
refused "--wav X --save-arranged X" "${base[@]}" --wav X --save-arranged X song.mid
for option in --nsf --wav --report-json --save-arranged; do
    for other in song.mid song.asm song.h song.lrc template.bin image.bin; do
        refused "$option $other" "${base[@]}" "$option" "$other" song.mid
    done
    refused "$option as the image, spelled otherwise" "${base[@]}" "$option" ./image.bin song.mid
done
# Several songs: an option's file against the second song's outputs.
cp song.mid second.mid
refused "--report-json over the second song's .asm" "${base[@]}" --report-json second.asm song.mid second.mid
# The image against the template and the conversion's own outputs: the
# engine's refusal, before anything is written.
for other in template.bin song.mid song.asm song.h song.lrc; do
    before=$(ls -l --time-style=+%s.%N | md5sum)
    out=$("$kelvane" --template template.bin --rom "$other" song.mid 2>"$errors"); status=$?
    check "--rom $other: status" 1 "$status"
    check "--rom $other: the box" "无法创建输出文件" "$(cat "$errors")"
    check "--rom $other: nothing written" "$before" "$(ls -l --time-style=+%s.%N | md5sum)"
done
cd ..

# The NSF is written first; a WAV that cannot be written is its own message
# and status 1, and the NSF stays.
rm -f song.nsf
run --rom ROM.BIN --nsf song.nsf --wav no-such-folder/song.wav song.mid
check "failed WAV: status" 1 "$status"
check "failed WAV: its own message" "kelvane: cannot write the WAV file no-such-folder/song.wav" "$err"
check "failed WAV: the NSF stays" "$(printf 'NESM\032')" "$(head -c 5 song.nsf)"
run --rom ROM.BIN --nsf no-such-folder/song.nsf --wav song.wav song.mid
check "failed NSF: status" 1 "$status"
check "failed NSF: the WAV is written" "RIFF" "$(head -c 4 song.wav)"

finish
