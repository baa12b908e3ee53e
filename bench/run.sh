#!/usr/bin/env bash
# make bench: the allocation check, the conversion, arrangement, NSF and WAV
# benchmarks, the whole-process timing and 100 songs with -j 1 and -j 2
# (songs.sh), then one small table. The worst shapes for the arrangement
# (bench/WorstShapes.h) at 1 MB and 8 MB each get a row with their time per MB
# against the band song's, which must stay within 3. Its last four lines are
# "worst shape/band per MB: R" (the largest of those ratios), "arrange MB/s: N"
# (the slower of the two 1 MB songs,
# arranged and measured by the engine), "engine MB/s: N" (the large song) and
# "e2e/cp ratio: R", for scripts.
# MB is 2^20 bytes, as Google Benchmark prints it; rates and times in memory
# are per CPU second of the process (Google Benchmark's default), which a
# shared machine disturbs less than the wall clock.
#
# Usage: bench/run.sh [BUILD_DIR]   (default build-bench, built with KELVANE_BENCH=ON)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
case $build in /*) ;; *) build="$top/$build" ;; esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

load=$(cut -d' ' -f1 /proc/loadavg)

echo "== allocations"
"$build/bench/allocation_test" --gtest_brief=1 | tee "$work/alloc.txt"

echo "== conversion in memory (median of 5)"
"$build/bench/conversion_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/bench.json" --benchmark_out_format=json

echo "== NSF and WAV preview (median of 5)"
"$build/bench/nsf_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/nsf.json" --benchmark_out_format=json

echo "== arrangement in memory (median of 5)"
"$build/bench/arrange_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/arrange.json" --benchmark_out_format=json

echo "== whole process"
"$top/bench/e2e.sh" "$build" | tee "$work/e2e.txt"

echo "== 100 songs, arranged, with their NSF files (median of 7)"
"$top/bench/songs.sh" "$build" | tee "$work/songs.txt"

python3 - "$work" "$load" <<'EOF'
import json, os, platform, re, sys

work, load = sys.argv[1:]
MB = 1 << 20
runs = {b["run_name"]: b for b in json.load(open(work + "/bench.json"))["benchmarks"]
        if b.get("aggregate_name") == "median"}

def seconds(b):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    return b["cpu_time"] * scale

def per_run(b):
    t = seconds(b)
    return f"{t * 1e6:.1f} us" if t < 1e-3 else f"{t * 1e3:.2f} ms"

cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")),
           platform.machine())
print()
print(f"== Kelvane benchmarks: {os.cpu_count()} cores, {cpu}; load average {load} at start")
print(f"{'in memory':34} {'MIDI MB/s':>10} {'lines/s':>10} {'per run':>10}")
for name, label in (("BM_ConvertExample", "example song"),
                    ("BM_ConvertLarge", "large song"),
                    ("BM_ConvertLargeKeepingOutputs", "large song, outputs kept")):
    b = runs[name]
    size = b["midi_bytes"]
    size_text = f"{size / MB:.2f} MB" if size >= MB / 4 else f"{size:.0f} B"
    print(f"{label + ' (' + size_text + ')':34} {b['bytes_per_second'] / MB:10.1f} "
          f"{b['asm_lines'] / 1e6:9.1f}M {per_run(b):>10}")
arranged = {b["run_name"]: b for b in json.load(open(work + "/arrange.json"))["benchmarks"]
            if b.get("aggregate_name") == "median"}
for name, label in (("BM_ArrangeBand", "arranged band song"), ("BM_ArrangeLarge", "arranged large song")):
    b = arranged[name]
    size_text = f"{b['midi_bytes'] / MB:.2f} MB"
    print(f"{label + ' (' + size_text + ')':34} {b['bytes_per_second'] / MB:10.1f} {'':>10} {per_run(b):>10}")
print("(the worst shapes: their time per MB against the band song's, where the lines/s column stands)")
band_per_mb = seconds(arranged["BM_ArrangeBand"]) / (arranged["BM_ArrangeBand"]["midi_bytes"] / MB)
worst_ratio = 0.0
for name, b in arranged.items():
    if not name.startswith("BM_ArrangeWorst/"):
        continue
    _, shape, megabytes = name.split("/")
    ratio = seconds(b) / (b["midi_bytes"] / MB) / band_per_mb
    worst_ratio = max(worst_ratio, ratio)
    label = f"{shape} ({megabytes} MB)"
    print(f"{label:34} {b['bytes_per_second'] / MB:10.1f} {ratio:9.2f}x {per_run(b):>10}")
b = runs["BM_ReadVarLen"]
print(f"{'ReadVarLen, mixed lengths':34} {b['bytes_per_second'] / MB:10.1f} "
      f"{b['quantities'] / 1e6:9.1f}M quantities/s")
alloc = open(work + "/alloc.txt").read()
m = re.search(r"^allocations per run: (\d+) for (\d+) events, (\d+) for (\d+) events", alloc, re.M)
if m:
    print(f"{'allocations per run':34} {m[1]} ({m[2]} events), {m[3]} ({m[4]} events)")
nsf = {b["run_name"]: b for b in json.load(open(work + "/nsf.json"))["benchmarks"]
       if b.get("aggregate_name") == "median"}
def added(name):
    base, more = seconds(nsf["BM_NsfConvert" + name]), seconds(nsf["BM_NsfConvert" + name + "WritingNsf"])
    return f"{(more - base) / base * 100:+.1f} %"
print(f"{'NSF written with a conversion':34} {added('Example')} (example song), {added('Large')} (large song)")
wav = nsf["BM_WavThreeMinutes"]
print(f"{'WAV of a 3-minute song':34} {seconds(wav):.3f} s, "
      f"{wav['song_seconds'] / seconds(wav):.0f}x real time")
m = re.search(r"arrangement allocations per run: (\d+) for (\d+) events, (\d+) for (\d+) events", alloc)
if m:
    print(f"{'allocations per arrangement':34} {m[1]} ({m[2]} events), {m[3]} ({m[4]} events)")
e2e = dict(line.split(": ", 1) for line in open(work + "/e2e.txt").read().splitlines())
print(f"{'whole process, medians':34} kelvane {e2e['kelvane example.mid'].split(' (')[0]}, "
      f"cp {e2e['cp 512 KB template'].strip()}, true {e2e['true'].strip()}")
songs = dict(line.split(": ", 1) for line in open(work + "/songs.txt").read().splitlines())
print(f"{'100 songs, -j 1 / -j 2':34} {songs['songs -j 1']} / {songs['songs -j 2']}, "
      f"speed-up {songs['songs speed-up']}")
print(f"e2e/true ratio: {e2e['e2e/true ratio']}")
print(f"worst shape/band per MB: {worst_ratio:.2f}")
print(f"arrange MB/s: {min(arranged[n]['bytes_per_second'] for n in ('BM_ArrangeBand', 'BM_ArrangeLarge')) / MB:.1f}")
print(f"engine MB/s: {runs['BM_ConvertLarge']['bytes_per_second'] / MB:.1f}")
print(f"e2e/cp ratio: {e2e['e2e/cp ratio']}")
EOF
