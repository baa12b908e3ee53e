#!/usr/bin/env bash
# A short, fixed fuzz run for ctest: the targets over their seed corpus and
# every input under tests/data/regress/, then a fixed number of mutations
# from a fixed seed. The arrangement also runs once over the worst shapes of
# the benchmarks, small and near 1 MB, and a few mutations of them, each
# input under a time limit of 10 s: a path slower than linear shows there as
# a timeout (the sanitizer build arranges 1 MB in well under a second).
# Exit 77 (skipped) when the fuzz build is missing.
#   fuzz/smoke.sh BUILD_FUZZ REGRESS_DIR RUNS
set -euo pipefail
build=$1
regress=$2
runs=${3:-3000}
dict="$(cd "$(dirname "$0")" && pwd)/midi.dict"

for target in conversion_fuzzer arrange_fuzzer template_fuzzer name_fuzzer; do
    if [ ! -x "$build/$target" ] || [ ! -d "$build/seeds" ]; then
        echo "fuzz smoke: no fuzz build at $build (make fuzz-build makes it)"
        exit 77
    fi
done

work="$build/smoke"
rm -rf "$work"
mkdir -p "$work/conversion" "$work/arrange" "$work/arrange-large" "$work/template" "$work/name" \
    "$work/regress-template"
# Inputs of the template fuzzer carry two set-up bytes; the rest are MIDI files.
find "$regress" -maxdepth 1 -type f -name 'template-*' -exec cp {} "$work/regress-template/" \;

status=0
"$build/conversion_fuzzer" -runs="$runs" -seed=1 -max_len=8192 -timeout=10 -dict="$dict" \
    -artifact_prefix="$work/conversion-" \
    "$work/conversion" "$build/seeds/conversion" "$regress" >"$work/conversion.log" 2>&1 || status=1
"$build/arrange_fuzzer" -runs="$((runs / 2))" -seed=1 -max_len=8192 -timeout=10 -dict="$dict" \
    -artifact_prefix="$work/arrange-" \
    "$work/arrange" "$build/seeds/conversion" "$regress" >"$work/arrange.log" 2>&1 || status=1
"$build/arrange_fuzzer" -runs="$((runs / 150))" -seed=1 -max_len=1048576 -timeout=10 -dict="$dict" \
    -artifact_prefix="$work/arrange-large-" \
    "$work/arrange-large" "$build/seeds/arrange" >"$work/arrange-large.log" 2>&1 || status=1
"$build/template_fuzzer" -runs="$((runs / 2))" -seed=1 -max_len=8192 -timeout=10 -dict="$dict" \
    -artifact_prefix="$work/template-" \
    "$work/template" "$build/seeds/template" "$work/regress-template" >"$work/template.log" 2>&1 || status=1
"$build/name_fuzzer" -runs="$((runs * 10))" -seed=1 -artifact_prefix="$work/name-" \
    "$work/name" "$build/seeds/name" >"$work/name.log" 2>&1 || status=1

for target in conversion arrange arrange-large template name; do
    grep -E '^#[0-9]+[[:space:]]+DONE|^Done' "$work/$target.log" | sed "s/^/$target: /" || true
done
if [ $status -ne 0 ]; then
    for log in "$work"/*.log; do
        echo "== $log"
        grep -v '^#\|^"\|^INFO:' "$log" | tail -40
    done
    echo "fuzz smoke: a finding; the input is in $work"
fi
exit $status
