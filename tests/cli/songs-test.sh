#!/usr/bin/env bash
# Many songs at once: folders for the per-song files, -j N giving what one
# song at a time gives, the summary, and the image holding the last song.
set -u
kelvane=$(realpath "$1") template=$(realpath "$2") example=$3 suite=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"
export LC_ALL=C XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS="$work/data-dirs"
run() {  # run DIR ARGS...: in DIR, sets out, err, status
    local dir=$1
    shift
    out=$(cd "$work/$dir" && "$kelvane" --template "$template" --rom "$work/$dir.BIN" "$@" 2>"$work/stderr"); status=$?
    err=$(cat "$work/stderr")
}
# Every file under a folder with its checksum, the ROM image's too.
# The reports name the image each run wrote (one.BIN, two.BIN): read them as X.BIN.
files_of() {
    (cd "$work/$1" && find . -type f | LC_ALL=C sort | while IFS= read -r f; do
        printf '%s  %s\n' "$(sed "s|$work/$1.BIN|X.BIN|g" "$f" | md5sum | cut -d' ' -f1)" "$f"
    done; md5sum < "$work/$1.BIN")
}

# Songs of all kinds: plain, format 0 (arranged), one refused before its
# tracks, a song whose name is no label, and a damaged last one.
mkdir "$work/songs"
python3 "$here/make-midi.py" "$work/songs"
cp "$example" "$work/songs/example.mid"
cp "$example" "$work/songs/my song.mid"
for name in test-2-tracks-type-0 test-all-gm-sounds test-karaoke-kar test-multichannel-chords-1 test-empty \
            test-corrupt-file-missing-byte; do
    cp "$suite/$name.mid" "$work/songs/"
done
cp "$example" "$work/songs/zy-last-good.mid"
printf 'not a midi file' > "$work/songs/zz-broken.mid"
songs=$(cd "$work/songs" && ls *.mid | LC_ALL=C sort | paste -sd '|')
count=$(ls "$work/songs" | wc -l)
IFS='|' read -r -a song_list <<<"$songs"
cp -r "$work/songs" "$work/one"
cp -r "$work/songs" "$work/two"

# One song at a time, then two at once: the same lines, the same files, the
# same image, whatever order the songs finish in.
run one --arrange --nsf nsf/ --save-arranged arranged/ --report --report-json json/ "${song_list[@]}"
out_one=$out err_one=${err//one.BIN/X.BIN} status_one=$status
run two -j 2 --arrange --nsf nsf/ --save-arranged arranged/ --report --report-json json/ "${song_list[@]}"
check "-j 2: status as -j 1" "$status_one" "$status"
check "-j 2: stdout as -j 1" "$out_one" "$out"
check "-j 2: stderr as -j 1" "$err_one" "${err//two.BIN/X.BIN}"
check "-j 2: files as -j 1" "$(files_of one)" "$(files_of two)"
check "status: the broken song fails the run" 1 "$status_one"

# Each song's report in the JSON folder; each song that converted has its
# NSF and its arranged file in theirs, all named after the MIDI file.
for song in "${song_list[@]}"; do
    name=${song%.mid}
    converted=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["succeeded"])' "$work/one/json/$name.json")
    check "$name: JSON report" yes "$([ -n "$converted" ] && echo yes)"
    [ "$converted" = True ] || continue
    check "$name: NSF in the folder" "$(printf 'NESM\032')" "$(head -c 5 "$work/one/nsf/$name.nsf")"
    check "$name: arranged file in the folder" MThd "$(head -c 4 "$work/one/arranged/$name.arranged.mid")"
done
check "broken song: no NSF" "" "$(ls "$work/one/nsf/zz-broken.nsf" 2>/dev/null)"

# The summary closes stdout; the image holds the last song that converted,
# and a line of advice says which.
summary=$(tail -n 1 <<<"$out_one")
read -r total succeeded failed refused < <(sed -E 's/^([0-9]+) songs: ([0-9]+) succeeded, ([0-9]+) failed, ([0-9]+) refused$/\1 \2 \3 \4/' <<<"$summary")
check "summary: its form" "$count songs: $succeeded succeeded, $failed failed, $refused refused" "$summary"
check "summary: every song counted" "$count" "$((succeeded + failed + refused))"
check "summary: the successes" "$(grep -c '^转换成功!$' <<<"$out_one")" "$succeeded"
check "summary: the broken song refused" yes "$([ "$refused" -ge 1 ] && echo yes)"
last_good=zy-last-good.mid
check "which song the image holds" "提示: $work/X.BIN holds the last song written into it, $last_good" \
    "$(grep 'holds the last song' <<<"$err_one")"
mkdir "$work/alone" && cp "$work/songs/$last_good" "$work/alone/"
run alone --arrange "$last_good"
check "the image is the last song's" "$(md5sum < "$work/alone.BIN")" "$(md5sum < "$work/one.BIN")"
check "one song: no summary, no advice about the image" "" "$(grep -e 'songs:' -e 'holds the last' <<<"$out$err")"

# A folder that is not there yet is made when its path ends in /; an
# existing folder needs no slash.
mkdir -p "$work/three/made" "$work/three/kept"
cp "$work/songs/example.mid" "$work/songs/format0.mid" "$work/three/"
run three --nsf new/deeper/ --report-json kept example.mid format0.mid
check "new folder: made, files in it" "example.nsf format0.nsf" "$(ls "$work/three/new/deeper" | paste -sd ' ')"
check "existing folder without a slash" "example.json format0.json" "$(ls "$work/three/kept" | paste -sd ' ')"
run three --report-json all.json example.mid format0.mid
check "--report-json FILE with several songs: one array" 2 \
    "$(python3 -c 'import json, sys; print(len(json.load(open(sys.argv[1]))))' "$work/three/all.json")"

# Refused before anything is written: a file where a folder is needed, two
# songs of one name into one folder, a bad -j.
rm -rf "$work/three/new" && mkdir "$work/three/other" && cp "$work/three/example.mid" "$work/three/other/"
before=$(cd "$work/three" && find . | LC_ALL=C sort)
run three --nsf song.nsf example.mid format0.mid
check "file for several songs: usage error" 2 "$status"
check "file for several songs: says what to do" \
    "kelvane: --nsf FILE takes one MIDI file; for several, give a folder (a path ending in /)" "$(head -n 1 <<<"$err")"
run three --wav new/ example.mid other/example.mid
check "one name twice into a folder: usage error" 2 "$status"
check "one name twice into a folder: names both" \
    "kelvane: --wav: example.mid and other/example.mid would both write new/example.wav" "$(head -n 1 <<<"$err")"
for jobs in 0 -1 x 2x 99999; do
    run three -j "$jobs" example.mid
    check "-j $jobs: usage error" 2 "$status"
done
check "refusals wrote nothing" "$before" "$(cd "$work/three" && find . | LC_ALL=C sort)"
run three --nsf new/ example.mid example.mid
check "one MIDI file twice into a folder: allowed" 0 "$status"
for form in "-j2" "--jobs=2" "--jobs 2" "-j 2"; do
    # shellcheck disable=SC2086
    run three $form example.mid format0.mid
    check "$form: accepted" 0 "$status"
done

finish
