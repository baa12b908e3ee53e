#!/usr/bin/env bash
# The options past a plain conversion: the report, the arrangement, the NSF
# and WAV files, and the advice a plain conversion gives where it loses the
# music.
set -u
kelvane=$1 template=$2 example=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"
run() {  # run ARGS...: sets out, err, status
    out=$("$kelvane" --template "$template" --rom "$work/ROM.BIN" "$@" 2>"$work/stderr"); status=$?
    err=$(cat "$work/stderr")
}
head_of() { head -c "$2" "$1" | od -An -c | tr -s ' '; }

export XDG_STATE_HOME="$work/state"
cd "$work"
python3 "$here/make-midi.py" "$work"
cp "$example" example.mid

# A format 0 file: plain conversion keeps it byte for byte as before and
# advises --arrange; arranged, each part lands on its voice.
run format0.mid
check "format 0: converts" 0 "$status"
case $err in 提示:*--arrange*) check "format 0: hint" ok ok ;; *) check "format 0: hint" "提示: ... --arrange" "$err" ;; esac
run --arrange --report --report-json report.json --save-arranged arranged.mid format0.mid
check "arranged: status" 0 "$status"
check "arranged: no hint" "" "$err"
check "arranged: six tracks saved" "MThd" "$(head -c 4 arranged.mid)"
check "arranged: track count" "6" "$(od -An -tu1 -j10 -N2 arranged.mid | awk '{print $1 * 256 + $2}')"
# The status header describes the user's file (one track at 480), and the
# arrangement's line follows it.
check "arranged: header of the user's file" "MIDI轨道数:1,MIDI节拍数:480" "$(printf '%s\n' "$out" | sed -n 1p)"
case $(printf '%s\n' "$out" | sed -n 2p) in 编排：*) check "arranged: line after the header" ok ok ;;
    *) check "arranged: line after the header" "编排：..." "$out" ;; esac
for voice in Square1 Triangle Noise; do
    notes=$(printf '%s\n' "$out" | awk -v v="$voice" '$1 == v {print $2}')
    [ "${notes:-0}" -gt 0 ] && check "arranged: $voice has notes" ok ok || check "arranged: $voice has notes" ">0" "$notes"
done
python3 - report.json "$work" <<'PY' || check "arranged: JSON" ok "bad JSON"
import json, sys
r = json.load(open(sys.argv[1]))
assert [v["voice"] for v in r["voices"]] == ["Square1", "Square2", "Triangle", "Noise", "DPCM"]
assert r["arranged"] and r["songBlock"]["size"] == 32768 and len(r["tempo"]) == 4
assert all(set(v["dropped"]) >= {"overlap", "zeroLength", "short", "fit"} for v in r["voices"])
assert all("octave" not in v["dropped"] and isinstance(v["movedOctave"], int) for v in r["voices"])
assert any(v["sources"] for v in r["voices"])
assert r["midi"] == "format0.mid"
assert r["outputs"] == ["arranged.mid", "format0.asm", "format0.h", sys.argv[2] + "/ROM.BIN"], r["outputs"]
PY

# A song whose tempo bytes come out below 2 plays in no time: the plain
# conversion keeps its bytes and says so, naming --arrange; arranged, it lasts
# its 0.36 seconds and is not silent.
run --report fast.mid
check "fast: status" 0 "$status"
case $err in 提示:*"tempo bytes 1,1,1,1"*--arrange*) check "fast: hint" ok ok ;; *) check "fast: hint" "提示: tempo bytes 1,1,1,1 ... --arrange" "$err" ;; esac
case $out in *"tempo 1,1,1,1"*"speed no time"*) check "fast: report" ok ok ;; *) check "fast: report" "tempo 1,1,1,1 ... no time" "$out" ;; esac
run --arrange --report fast.mid
check "fast arranged: status" 0 "$status"
check "fast arranged: no hint" "" "$err"
case $out in *"length: 0:00 (0.36 s), tempo 2,2,2,2"*) check "fast arranged: length" ok ok ;; *) check "fast arranged: length" "0.36 s, tempo 2,2,2,2" "$out" ;; esac

# Seven tracks: refused with the box's words and the hint; arranged, it converts.
run seven.mid
check "seven: status" 1 "$status"
check "seven: box" "MIDI轨道数太多" "$(printf '%s\n' "$err" | head -1)"
case $(printf '%s\n' "$err" | sed -n 2p) in 提示:*--arrange*) check "seven: hint" ok ok ;; *) check "seven: hint" "提示: ... --arrange" "$err" ;; esac
run --voices square1=t1,dpcm=none seven.mid
check "seven arranged by hand: status" 0 "$status"

# The NSF and the WAV after a success; a failed conversion writes neither.
run --nsf song.nsf --wav song.wav example.mid
check "nsf: status" 0 "$status"
check "nsf: header" "$(printf 'NESM\032\001')" "$(head -c 6 song.nsf)"
check "wav: header" "RIFF" "$(head -c 4 song.wav)"
check "wav: format" "WAVE" "$(tail -c +9 song.wav | head -c 4)"
rm -f song.nsf song.wav
# --chords arpeggio arranges on its own; its report keeps the other fields.
run --chords arpeggio --report-json chords.json format0.mid
check "--chords arpeggio: status" 0 "$status"
check "--chords arpeggio: arranged" "True" \
    "$(python3 -c 'import json; print(any(v["sources"] for v in json.load(open("chords.json"))["voices"]))' 2>&1)"

# Several files: an array whose entries name their file as given and the
# files each wrote.
printf 'not a midi file' > bad.mid
run --report-json several.json --nsf one.nsf example.mid
python3 - several.json "$work" <<'PY' || check "one file: JSON names its outputs" ok "bad JSON"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["midi"] == "example.mid"
assert r["outputs"] == ["example.asm", "example.h", "example.lrc", sys.argv[2] + "/ROM.BIN", "one.nsf"], r["outputs"]
PY
run --report-json several.json example.mid bad.mid ./format0.mid
python3 - several.json "$work" <<'PY' || check "several files: JSON entries" ok "bad JSON"
import json, sys
r = json.load(open(sys.argv[1]))
assert [e["midi"] for e in r] == ["example.mid", "bad.mid", "./format0.mid"], r
assert r[1]["outputs"] == [] and not r[1]["succeeded"]
assert r[2]["outputs"] == ["./format0.asm", "./format0.h", sys.argv[2] + "/ROM.BIN"], r[2]["outputs"]
PY
run --nsf song.nsf --wav song.wav bad.mid
check "failed: status" 1 "$status"
check "failed: no files" "" "$(ls song.nsf song.wav 2>/dev/null)"

# Usage errors, with nothing written: a bad voice spec, one output file for
# several songs, an output over an input.
run --voices bass=t1 example.mid
check "bad --voices: status" 2 "$status"
run --chords chords example.mid
check "bad --chords: status" 2 "$status"
run --nsf song.nsf example.mid format0.mid
check "--nsf with two songs: status" 2 "$status"
cp example.mid keep.mid
run --nsf ./keep.mid keep.mid
check "--nsf over the input: status" 2 "$status"
check "--nsf over the input: kept" "$(od -An -tx1 "$example")" "$(od -An -tx1 keep.mid)"
run --wav keep.asm keep.mid
check "--wav over an output: status" 2 "$status"

finish
