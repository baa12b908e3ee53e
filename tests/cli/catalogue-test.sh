#!/usr/bin/env bash
# The Chinese catalogue against the sources: every text marked for
# translation (Tr, N_, the report's translate) has a translation, none is
# fuzzy, and msgfmt accepts the file.
set -u
top=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"
cd "$top"
xgettext --language=C++ --from-code=UTF-8 --keyword=Tr --keyword=N_ --keyword=translate --keyword=text --no-location \
    -o "$work/kelvane.pot" app/cli/*.cpp app/common/*.cpp app/play/*.cpp engine/*.cpp
check "msgfmt --check" "" "$(msgfmt --check -o /dev/null po/zh_CN.po 2>&1)"
check "every marked text translated" "" "$(msgcmp --use-untranslated po/zh_CN.po "$work/kelvane.pot" 2>&1 | grep -v 'this message is not used')"
check "nothing fuzzy" 0 "$(grep -c '^#, fuzzy' po/zh_CN.po)"
# A translation keeps the places of its msgid: "{1}" in one means "{1}" in the other.
check "places kept" "" "$(python3 - po/zh_CN.po <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
for block in text.split("\n\n"):
    block = "\n".join(line for line in block.splitlines() if not line.startswith("#"))
    parts = re.split(r"^msgstr ", block, flags=re.M)
    if len(parts) != 2 or "msgid" not in parts[0]:
        continue
    places = lambda s: sorted(set(re.findall(r"\{[1-9]\}", s)))
    if places(parts[0]) != places(parts[1]):
        print(parts[0].strip().splitlines()[-1])
PY
)"
finish
