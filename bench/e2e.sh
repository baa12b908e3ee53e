#!/usr/bin/env bash
# The whole process against the floors no converter can beat:
#   (a) kelvane converting the example song,
#   (b) cp of the 512 KB template to a new file (reading the template and
#       writing the image),
#   (c) true (starting a process).
# The three run interleaved, in rounds whose order rotates, so that a change
# in the load of a shared machine touches all three alike. Prints the median
# of each and the ratios a/b and a/c.
#
# Both (a) and (b) write a new 512 KB file: the image and the copy are removed
# before every run (untimed), since replacing an old file would add the cost
# of freeing it to one side only. The text files (.asm, .h, .lrc) are
# rewritten in place, as when a song is converted again.
#
# Usage: bench/e2e.sh [BUILD_DIR]   (default build-bench)
# Environment: E2E_ROUNDS (default 15), E2E_RUNS runs per round (default 20),
# KELVANE another kelvane binary (with RZ31ST.bin beside it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
case $build in /*) ;; *) build="$top/$build" ;; esac
rounds=${E2E_ROUNDS:-15}
runs=${E2E_RUNS:-20}
kelvane=${KELVANE:-$build/app/cli/kelvane}
template="$(dirname "$kelvane")/RZ31ST.bin"
true_program=$(type -P true)  # the program, not the shell's builtin

for need in hyperfine python3; do
    command -v "$need" >/dev/null || { echo "e2e: $need is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
for file in "$kelvane" "$template"; do
    [ -f "$file" ] || { echo "e2e: no $file; build first (make bench)" >&2; exit 1; }
done

# Beside the build, on the disk the outputs would go to, not on a tmpfs.
work=$(mktemp -d "$build/e2e.XXXXXX")
# The runs note their image in a state folder of their own, not the user's.
export XDG_STATE_HOME="$work/state"
trap 'rm -rf "$work"' EXIT
cp "$top/examples/example.mid" "$work/example.mid"

convert="$kelvane --rom $work/ROM.BIN $work/example.mid"
copy="cp $template $work/copy.bin"
start="$true_program"
commands=("$convert" "$copy" "$start")

for ((round = 0; round < rounds; ++round)); do
    order=()
    for ((k = 0; k < 3; ++k)); do order+=("${commands[(round + k) % 3]}"); done
    # Its warnings about outliers are expected on a shared machine; they are
    # shown only when it fails.
    hyperfine --shell=none --style none --warmup 3 --runs "$runs" \
        --prepare "rm -f $work/ROM.BIN $work/copy.bin" \
        --export-json "$work/round$round.json" "${order[@]}" >/dev/null 2>"$work/hyperfine.err" ||
        { cat "$work/hyperfine.err" >&2; exit 1; }
done

python3 - "$work" "$convert" "$copy" "$start" <<'EOF'
import glob, json, statistics, sys

work, convert, copy, start = sys.argv[1:]
times = {convert: [], copy: [], start: []}
for path in glob.glob(work + "/round*.json"):
    for result in json.load(open(path))["results"]:
        times[result["command"]] += result["times"]
a, b, c = (statistics.median(times[command]) * 1000 for command in (convert, copy, start))
n = len(times[convert])
print(f"kelvane example.mid: {a:.3f} ms (median of {n})")
print(f"cp 512 KB template:  {b:.3f} ms")
print(f"true:                {c:.3f} ms")
print(f"e2e/true ratio: {a / c:.2f}")
print(f"e2e/cp ratio: {a / b:.2f}")
EOF
