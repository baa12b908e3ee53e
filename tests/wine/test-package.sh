#!/usr/bin/env bash
# The Windows zip that `make windows` packs: the two programs and the readme,
# and no two names that a Windows file system would take for one.
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
wine_finish
