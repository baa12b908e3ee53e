#!/usr/bin/env bash
# The command line's contract: what goes to standard output and standard
# error, the exit status, and where the files go.
set -u
kelvane=$1 template=$2 example=$3
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"

# The program's own messages in Chinese (run), or in English (the others),
# whatever the machine's locale.
export LC_ALL=C
run() {  # run ARGS...: sets out, err, status
    out=$(LC_ALL=zh_CN.UTF-8 "$kelvane" "$@" 2>"$work/stderr"); status=$?
    err=$(cat "$work/stderr")
}

# The user's and the system's data folders must not lend a template.
# Nor may a run note its image in the user's own state folder.
export XDG_DATA_HOME="$work/data-home" XDG_DATA_DIRS="$work/data-dirs" XDG_STATE_HOME="$work/state"

cd "$work"
mkdir music
cp "$example" music/example.mid

# A good song, by a relative path: the status lines on stdout, exit 0.
run --template "$template" --rom "$work/ROM.BIN" music/example.mid
check "good song: stdout" $'MIDI轨道数:6,MIDI节拍数:480\n输出文件:music/example.asm\n转换成功!' "$out"
check "good song: stderr" "" "$err"
check "good song: status" 0 "$status"
check "good song: outputs" "music/example.asm music/example.h music/example.lrc" "$(echo music/example.{asm,h,lrc})"
check "good song: image size" 524288 "$(stat -c %s ROM.BIN)"

# A fresh process that fails before its outputs: empty path, box on stderr.
run --template "$template" --rom "$work/ROM.BIN" music/missing.mid
check "missing: stdout" $'输出文件:\n转换失败!' "$out"
check "missing: stderr" "无法打开MIDI文件" "$err"
check "missing: status" 1 "$status"

# Several files in one process: each run has its own lines, and one that
# fails before its outputs names none, as in a fresh process.
printf 'not a midi file' > music/bad.mid
cp music/example.mid music/second.mid
run --template "$template" --rom "$work/ROM.BIN" music/example.mid music/bad.mid music/second.mid
check "three files: stdout" $'MIDI轨道数:6,MIDI节拍数:480\n输出文件:music/example.asm\n转换成功!\n输出文件:\n转换失败!\nMIDI轨道数:6,MIDI节拍数:480\n输出文件:music/second.asm\n转换成功!\n共 3 首: 2 首成功，0 首失败，1 首被拒绝' "$out"
check "three files: stderr" "MIDI文件无法识别
提示: $work/ROM.BIN 中是最后写入的歌曲 music/second.mid" "$err"
check "three files: status" 1 "$status"
run --template "$template" --rom "$work/ROM.BIN" music/bad.mid music/missing.mid
check "two failures: stdout" $'输出文件:\n转换失败!\n输出文件:\n转换失败!\n共 2 首: 0 首成功，0 首失败，2 首被拒绝' "$out"
check "two failures: stderr" $'MIDI文件无法识别\n无法打开MIDI文件' "$err"

# Song names that make labels an assembler rejects: the labels stay, and each
# run that wrote its outputs says so once on stderr, after its lines.
cp music/example.mid "music/my song-1.mid"
cp music/example.mid music/卡拉OK.mid
run --template "$template" --rom "$work/ROM.BIN" "music/my song-1.mid"
check "odd name: stderr" '提示: 歌曲名"my song-1"不是合法的汇编标号' "$err"
check "odd name: status" 0 "$status"
check "odd name: labels kept" 1 "$(grep -c '^my song-1_Square1:' "music/my song-1.asm")"
run --template "$template" --rom "$work/ROM.BIN" music/卡拉OK.mid music/bad.mid "music/my song-1.mid" music/example.mid
check "odd names: one hint per run that wrote" $'提示: 歌曲名"卡拉OK"不是合法的汇编标号\nMIDI文件无法识别\n提示: 歌曲名"my song-1"不是合法的汇编标号\n提示: '"$work"$'/ROM.BIN 中是最后写入的歌曲 music/example.mid' "$err"
run --template "$template" --rom "$work/ROM.BIN" music/no-such-卡拉.mid
check "odd name, no outputs: no hint" "无法打开MIDI文件" "$err"

# --name sets the labels and the texts, not the file names; it must be a label.
run --template "$template" --rom "$work/ROM.BIN" --name tune "music/my song-1.mid"
check "--name: no hint" "" "$err"
check "--name: status" 0 "$status"
check "--name: labels" "1 0" "$(grep -c '^tune_Square1:' "music/my song-1.asm") $(grep -c 'my song-1' "music/my song-1.asm")"
check "--name: equates" 0 "$(grep -vc '^tune_' "music/my song-1.h")"
check "--name: lyric label" 1 "$(grep -c '^tune_Lyric:' "music/my song-1.lrc")"
run --template "$template" --rom "$work/ROM.BIN" --name=_Tune2 music/example.mid
check "--name=NAME: labels" 1 "$(grep -c '^_Tune2_DPCM:' music/example.asm)"
for bad in "my song" 9lives "" 卡拉OK "a-b"; do
    rm -f music/second.asm
    run --template "$template" --rom "$work/ROM.BIN" --name "$bad" music/second.mid
    check "--name '$bad': usage error" 2 "$status"
    check "--name '$bad': nothing converted" "" "$out$(ls music/second.asm 2>/dev/null)"
done
run --template "$template" --rom "$work/ROM.BIN" music/example.mid --name
check "--name without a value: usage error" 2 "$status"

# Standard output that cannot be written: the status is 1, whatever the run.
"$kelvane" --template "$template" --rom "$work/ROM.BIN" music/example.mid >/dev/full 2>"$work/stderr"
check "full disk: status" 1 "$?"
check "full disk: says so" "kelvane: cannot write standard output: $(python3 -c 'import os; print(os.strerror(28))')" "$(cat "$work/stderr")"
check "full disk: the conversion still ran" 1 "$(grep -c '^example_Square1:' music/example.asm)"
"$kelvane" --version >/dev/full 2>/dev/null
check "full disk, --version: status" 1 "$?"
# A pipe whose reader has gone: no death by SIGPIPE, status 1, no message.
# The reading end is closed before the program starts, so no write can win a
# race against it; Python hands the child SIGPIPE at its default.
closed_pipe() {
    python3 -c 'import os, subprocess, sys
r, w = os.pipe()
os.close(r)
done = subprocess.run(sys.argv[1:], stdout=w, stderr=subprocess.PIPE)
print(done.returncode)
sys.stdout.write(done.stderr.decode())' "$@"
}
check "closed pipe: status, no message" 1 "$(closed_pipe "$kelvane" --template "$template" --rom "$work/ROM.BIN" music/example.mid)"
check "closed pipe, --help: status" 1 "$(closed_pipe "$kelvane" --help)"
check "closed pipe: the conversion still ran" 1 "$(grep -c '^example_Square1:' music/example.asm)"

# The default template and image live beside the program.
mkdir prog
cp "$kelvane" prog/kelvane
cp "$template" prog/RZ31ST.bin
out=$(prog/kelvane music/example.mid 2>&1); status=$?
check "program directory: status" 0 "$status"
check "program directory: image" 524288 "$(stat -c %s prog/ROM.BIN 2>/dev/null)"
rm prog/RZ31ST.bin
out=$(prog/kelvane music/example.mid 2>"$work/stderr"); status=$?
check "no template: stderr" "无法打开RZ31ST.bin文件" "$(head -n 1 "$work/stderr")"
check "no template: stdout" "" "$out"
check "no template: status" 1 "$status"

# A lyric file that cannot be created is a lost output: its status line, and
# the run fails.
rm -f music/example.lrc && mkdir music/example.lrc
run --template "$template" --rom "$work/ROM.BIN" music/example.mid
check "lyric file: stdout" $'MIDI轨道数:6,MIDI节拍数:480\n***错误*** 无法创建歌词文件\n输出文件:music/example.asm\n转换失败!' "$out"
check "lyric file: status" 1 "$status"
rmdir music/example.lrc

# An output place that cannot be written: the box, no status line, and the
# previous image stays whole.
cp ROM.BIN previous.bin
run --template "$template" --rom "$work/no-such-dir/ROM.BIN" music/example.mid
check "unwritable image: stderr" "无法创建输出文件" "$err"
check "unwritable image: stdout" "" "$out"
check "unwritable image: status" 1 "$status"
printf 'x' > music/blocker
run --template "$template" --rom "$work/ROM.BIN" music/blocker/song.mid
check "unreadable path: stderr" "无法打开MIDI文件" "$err"
check "image untouched" "$(md5sum < previous.bin)" "$(md5sum < ROM.BIN)"

# A MIDI file named like its own output is refused, never overwritten.
cp music/example.mid music/tune.asm
run --template "$template" --rom "$work/ROM.BIN" music/tune.asm
check "input named .asm: stderr" "无法创建输出文件" "$err"
check "input named .asm: status" 1 "$status"
check "input named .asm: kept" "$(md5sum < music/example.mid)" "$(md5sum < music/tune.asm)"
run --template "$template" --rom music/example.mid music/example.mid
check "image over the input: stderr" "无法创建输出文件" "$err"
check "image over the input: kept" "$(md5sum < "$example")" "$(md5sum < music/example.mid)"

# Usage.
run
check "no arguments: status" 2 "$status"
check "no arguments: usage" 1 "$(grep -c '^用法: kelvane' <<<"$err")"
run --frobnicate x.mid
check "unknown option: status" 2 "$status"
run --rom
check "option without value: status" 2 "$status"
run --help
check "help: status" 0 "$status"
check "help: text" 1 "$(grep -c '^用法: kelvane' <<<"$out")"
run --version
check "version" "kelvane 1.0.0.1" "$out"

# A file name that starts with a dash, after "--".
cp music/example.mid ./-dash.mid
run --template "$template" --rom "$work/ROM.BIN" -- -dash.mid
check "dash file: status" 0 "$status"
check "dash file: output" 1 "$(ls -- -dash.asm | wc -l)"

finish
