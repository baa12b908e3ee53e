#!/usr/bin/env bash
# Converts the bundled example song with the stand-in template and shows
# where the files went.
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/out/demo"
mkdir -p "$out"
cp "$top/examples/example.mid" "$out/example.mid"
echo "== kelvane $out/example.mid"
"$top/$build/app/cli/kelvane" --rom "$out/ROM.BIN" "$out/example.mid"
echo "== written:"
for f in example.asm example.h example.lrc ROM.BIN; do
    printf '   %-12s %8d bytes  %s\n' "$f" "$(stat -c %s "$out/$f")" "$out/$f"
done
echo "== the first lines of example.asm:"
head -n 12 "$out/example.asm" | iconv -f GBK -t UTF-8 | tr -d '\r'
