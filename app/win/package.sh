#!/usr/bin/env bash
# Packs the Windows build into a zip: the dialog program, the command line and
# the readme, in one folder named after the version.
#   package.sh BUILD_DIR VERSION ZIP
set -euo pipefail
build=$1 version=$2 zip=$3
here=$(cd "$(dirname "$0")" && pwd)

stage="$build/package"
folder="kelvane-$version"
rm -rf "$stage"
mkdir -p "$stage/$folder" "$(dirname "$zip")"
i686-w64-mingw32-strip -o "$stage/$folder/Kelvane.exe" "$build/app/win/Kelvane.exe"
i686-w64-mingw32-strip -o "$stage/$folder/kelvane-cli.exe" "$build/app/cli/kelvane-cli.exe"
# Notepad on an older Windows wants CRLF, and a BOM to read the text as UTF-8.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$here/README.txt"; } >"$stage/$folder/README.txt"

# A Windows file system cannot hold two names that differ only in case.
clash=$(cd "$stage" && find . -type f | tr '[:upper:]' '[:lower:]' | sort | uniq -d)
if [ -n "$clash" ]; then
    echo "package: names that differ only in case: $clash" >&2
    exit 1
fi

zip_abs="$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")"
rm -f "$zip_abs"
(cd "$stage" && zip -q -X -r "$zip_abs" "$folder")
echo "package: $zip"
