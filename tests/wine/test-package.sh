#!/usr/bin/env bash
# The Windows zip that `make windows` packs: the two programs and the readme,
# and no two names that a Windows file system would take for one; the readme
# tells of the options, the report, the NSF and the song name.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

zip=$(ls "$KELVANE_DIST"/kelvane-*-win32.zip 2>/dev/null | head -n1)
expect_true "dist holds kelvane-<version>-win32.zip" test -n "$zip"
[ -n "$zip" ] || wine_finish
names=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
printf '%s\n' "$names"
for want in Kelvane.exe kelvane-cli.exe README.txt; do
    expect_true "the zip holds $want" grep -q "/$want\$" <<<"$names"
done
expect_eq "no names differing only in case" "" "$(tr '[:upper:]' '[:lower:]' <<<"$names" | sort | uniq -d)"

# The readme tells what the dialog does today.
readme=$(python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
print(z.read([n for n in z.namelist() if n.endswith("/README.txt")][0]).decode("utf-8-sig"))' "$zip")
for topic in 自动编排 导出NSF NAME.report.txt NAME.nsf 歌曲名 "Song name" 'Alt'; do
    expect_true "the readme tells of $topic" grep -qF "$topic" <<<"$readme"
done
expect_true "the readme no longer says six tracks at most" test -z "$(grep -iE '最多六轨|at most six tracks' <<<"$readme")"
wine_finish
