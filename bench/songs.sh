#!/usr/bin/env bash
# A folder of songs at once: `kelvane --arrange --nsf out/ songs/*.mid` on 100
# songs of the outside MIDI suite (its files taken in turn until there are
# 100), with -j 1 and with -j 2. Prints the median wall time of each and the
# speed-up, as "songs -j 1: S s", "songs -j 2: S s", "songs speed-up: R".
#
# Usage: bench/songs.sh [BUILD_DIR]   (default build-bench)
# Environment: SONGS_RUNS runs of each (default 7), KELVANE another binary
# (with RZ31ST.bin beside it), MIDI_SUITE another folder of songs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
case $build in /*) ;; *) build="$top/$build" ;; esac
runs=${SONGS_RUNS:-7}
kelvane=${KELVANE:-$build/app/cli/kelvane}
template="$(dirname "$kelvane")/RZ31ST.bin"
suite=${MIDI_SUITE:-$top/../shared/testdata/midi-suite}

command -v hyperfine >/dev/null || { echo "songs: hyperfine is missing (scripts/install-deps.sh)" >&2; exit 1; }
[ -d "$suite" ] || { echo "songs: no MIDI suite in $suite" >&2; exit 1; }

work=$(mktemp -d "$build/songs.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/songs"
mapfile -t files < <(find "$suite" -maxdepth 1 -name '*.mid' | LC_ALL=C sort)
for ((i = 0; i < 100; i++)); do
    file=${files[$((i % ${#files[@]}))]}
    cp "$file" "$(printf '%s/songs/%03d-%s' "$work" "$i" "$(basename "$file")")"
done

cd "$work"
command() { echo "$kelvane -j $1 --template $template --rom $work/ROM.BIN --arrange --nsf out/ songs/*.mid"; }
# Some suite files are refused on purpose (not MIDI, empty): the exit status
# says so, and is not what is timed.
hyperfine --style none --warmup 1 --runs "$runs" --ignore-failure --export-json "$work/times.json" \
    --command-name "j1" "$(command 1) >/dev/null 2>&1" \
    --command-name "j2" "$(command 2) >/dev/null 2>&1" >/dev/null 2>&1
python3 - "$work/times.json" <<'PY'
import json, statistics, sys
times = {r["command"]: statistics.median(r["times"]) for r in json.load(open(sys.argv[1]))["results"]}
print(f"songs -j 1: {times['j1']:.3f} s")
print(f"songs -j 2: {times['j2']:.3f} s")
print(f"songs speed-up: {times['j1'] / times['j2']:.2f}")
PY
