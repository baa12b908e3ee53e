#!/usr/bin/env bash
# make fuzz: the four targets for SECONDS seconds in all: 50% of the time to
# the MIDI bytes, 20% to their arrangement, 20% to templates and output
# faults, 10% to paths. The corpus grows in BUILD/corpus across sessions;
# findings land in BUILD/findings.
# The arrangement takes inputs up to 1 MB, its seeds the worst shapes of the
# benchmarks among them, under a time limit per input of ARRANGE_TIMEOUT
# seconds (default 10): an input that the arrangement takes longer over is a
# finding, since a path slower than linear shows first as such a timeout.
# Prints executions, executions per second and coverage (edges of the engine
# reached, of all it has); exits non-zero on any finding.
#   fuzz/run-fuzz.sh BUILD SECONDS
set -uo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
arrange_timeout=${ARRANGE_TIMEOUT:-10}
top=$(cd "$(dirname "$0")/.." && pwd)
regress="$top/tests/data/regress"

case "$seconds" in ''|*[!0-9]*) echo "run-fuzz: FUZZ_SECONDS must be a whole number of seconds" >&2; exit 2 ;; esac
share() {
    local s=$(( seconds * $1 / 100 ))
    [ "$s" -ge 1 ] || s=1
    echo "$s"
}
conversion_seconds=$(share 50)
arrange_seconds=$(share 20)
template_seconds=$(share 20)
name_seconds=$(( seconds - conversion_seconds - arrange_seconds - template_seconds ))
[ "$name_seconds" -ge 1 ] || name_seconds=1

findings="$build/findings"
mkdir -p "$findings" "$build/corpus/conversion" "$build/corpus/arrange" "$build/corpus/template" "$build/corpus/name" \
    "$build/corpus/regress-template"
find "$regress" -maxdepth 1 -type f -name 'template-*' -exec cp {} "$build/corpus/regress-template/" \;

# Runs one target; prints its summary; returns libFuzzer's status.
#   fuzz TARGET SECONDS MAX_LEN TIMEOUT CORPUS...
fuzz() {
    local target=$1 secs=$2 max_len=$3 timeout=$4
    shift 4
    local log="$build/$target.log"
    echo "== $target for $secs s (inputs up to $max_len bytes, $timeout s each at most)"
    "$build/$target" -max_total_time="$secs" -print_final_stats=1 -timeout="$timeout" -max_len="$max_len" \
        -dict="$top/fuzz/midi.dict" -artifact_prefix="$findings/$target-" "$@" >"$log" 2>&1
    local status=$?
    local edges executions rate final
    edges=$(sed -nE 's/.*\(([0-9]+) inline 8-bit counters\).*/\1/p' "$log" | head -1)
    executions=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$')
    rate=$(grep -oE 'stat::average_exec_per_sec: *[0-9]+' "$log" | grep -oE '[0-9]+$')
    final=$(grep -E '^#[0-9]+' "$log" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9a-zA-Z]+' | tail -1)
    local cov=${final#cov: }
    cov=${cov%% *}
    echo "   executions:     ${executions:-?}"
    echo "   executions/s:   ${rate:-?}"
    if [ -n "$cov" ] && [ -n "$edges" ]; then
        echo "   coverage:       $cov of $edges engine edges ($(( 100 * cov / edges ))%)  [$final]"
    else
        echo "   coverage:       ${final:-?}"
    fi
    if [ $status -ne 0 ]; then
        echo "   FINDING (status $status); the log says:"
        grep -v '^#\|^"\|^INFO:' "$log" | tail -30 | sed 's/^/     /'
    fi
    return $status
}

status=0
fuzz conversion_fuzzer "$conversion_seconds" 8192 10 \
    "$build/corpus/conversion" "$build/seeds/conversion" "$regress" || status=1
# The outside suite, where the checkout has it beside it, seeds the arrangement.
suite="$top/../shared/testdata/midi-suite"
[ -d "$suite" ] || suite=""
fuzz arrange_fuzzer "$arrange_seconds" 1048576 "$arrange_timeout" \
    "$build/corpus/arrange" "$build/seeds/conversion" "$build/seeds/arrange" "$regress" ${suite:+"$suite"} || status=1
fuzz template_fuzzer "$template_seconds" 8192 10 \
    "$build/corpus/template" "$build/seeds/template" "$build/corpus/regress-template" || status=1
fuzz name_fuzzer "$name_seconds" 8192 10 "$build/corpus/name" "$build/seeds/name" || status=1

if [ -n "$(ls -A "$findings")" ]; then
    echo "== findings in $findings:"
    ls -l "$findings" | tail -n +2 | sed 's/^/   /'
    echo "   Mend the engine (or arrange/ for arrange_fuzzer), then keep each input as a test:"
    echo "   copy it into tests/data/regress/"
    echo "   (an input of template_fuzzer under a name starting with \"template-\"; a path that"
    echo "   broke name_fuzzer belongs in a test of tests/SongNameTest.cpp or tests/GbkTest.cpp)."
    status=1
else
    echo "== no findings"
fi
exit $status
