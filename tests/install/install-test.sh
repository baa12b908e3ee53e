#!/usr/bin/env bash
# What `make install DESTDIR=...` lays out (cmake --install with DESTDIR, as
# the Makefile runs it), and that the installed program finds a template
# installed for the system and writes its image into the user's folder.
set -u
build=$1 template=$2 example=$3 with_man_page=$4 with_chinese_man_page=${5:-OFF}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"
export LC_ALL=C

installed() {  # installed PREFIX: the files under DESTDIR, sorted
    DESTDIR=$work/root cmake --install "$build" --prefix "$1" >"$work/log" 2>&1 || cat "$work/log"
    (cd "$work/root" && find . -type f -o -type l | sort)
}

expected="./usr/local/bin/kelvane
./usr/local/share/bash-completion/completions/kelvane
./usr/local/share/doc/kelvane/README.md
./usr/local/share/doc/kelvane/changelog.gz
./usr/local/share/doc/kelvane/copyright"
if [ "$with_man_page" = ON ]; then
    expected+=$'\n./usr/local/share/man/man1/kelvane.1.gz'
fi
if [ "$with_chinese_man_page" = ON ]; then
    expected+=$'\n./usr/local/share/man/zh_CN/man1/kelvane.1.gz'
fi
check "files under /usr/local" "$expected" "$(installed /usr/local)"
root=$work/root/usr/local
check "program runs" "$("$build/app/cli/kelvane" --version)" "$("$root/bin/kelvane" --version)"
check "program is executable" "-rwxr-xr-x" "$(stat -c %A "$root/bin/kelvane")"
check "documents are readable by all" "-rw-r--r--" "$(stat -c %A "$root/share/doc/kelvane/copyright")"
check "changelog unpacks" yes "$(gzip -dc "$root/share/doc/kelvane/changelog.gz" | grep -q '^kelvane (' && echo yes)"
if [ "$with_man_page" = ON ]; then
    check "man page is the one built" "$(cat "$build/packaging/kelvane.1")" \
        "$(gzip -dc "$root/share/man/man1/kelvane.1.gz")"
fi
if [ "$with_chinese_man_page" = ON ]; then
    check "Chinese man page is the one built" "$(cat "$build/packaging/zh_CN/kelvane.1")" \
        "$(gzip -dc "$root/share/man/zh_CN/man1/kelvane.1.gz")"
fi
check "nothing but our files" "" "$(installed /usr/local | grep -v -e /kelvane -e kelvane/)"

# The installed program, with its template where a system install puts it.
mkdir -p "$root/share/kelvane" "$work/music"
cp "$template" "$root/share/kelvane/RZ31ST.bin"
cp "$example" "$work/music/song.mid"
out=$(cd "$work" && HOME=$work/home XDG_DATA_HOME= XDG_STATE_HOME= XDG_DATA_DIRS=$root/share \
      "$root/bin/kelvane" music/song.mid 2>&1)
check "installed program converts" "MIDI轨道数:6,MIDI节拍数:480
输出文件:music/song.asm
转换成功!
提示: kelvane wrote the image to $work/home/.local/share/kelvane/ROM.BIN" "$out"

# Another prefix moves everything along.
rm -rf "$work/root"
check "files under /usr" "$(sed 's|/usr/local/|/usr/|' <<<"$expected")" "$(installed /usr)"

finish
