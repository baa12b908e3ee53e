#!/usr/bin/env bash
# The man page stays true to --help: every option of one is in the other, the
# version is the program's, and the sections a reader looks for are there.
set -u
kelvane=$1 page=$2

. "$(dirname "$0")/../checks.sh"

# The page as plain text: roff requests and font changes dropped, "\-" as "-".
plain=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\f(CW//g' -e 's/\\[,\/&]//g' "$page")
section() {  # the plain text of one .SH section
    awk -v name="$1" '/^\.SH / { inside = ($0 == ".SH " name) ; next } inside' <<<"$plain"
}
tags() {  # the tags of the tagged paragraphs of one section, without their font request
    section "$1" | awk '/^\.TP/ { getline; sub(/^\.[A-Z]+ /, ""); print }'
}
options_of() { grep -o -E '(^|[^[:alnum:]-])--?[[:alpha:]][[:alnum:]-]*' | grep -o -E -- '--?[[:alpha:]][[:alnum:]-]*' | sort -u; }

help=$("$kelvane" --help)
help_options=$(options_of <<<"$help")
man_options=$(section OPTIONS | options_of)
check "some options in --help" yes "$([ "$(wc -l <<<"$help_options")" -ge 10 ] && echo yes)"
check "options: --help against the man page" "$help_options" "$man_options"
for option in $help_options; do
    # Each one as the tag of its own paragraph, not only in passing.
    tagged=$(tags OPTIONS | options_of | grep -c -x -- "$option")
    check "tagged paragraph for $option" 1 "$tagged"
done

check "sections in order" "NAME SYNOPSIS DESCRIPTION OPTIONS \"EXIT STATUS\" ENVIRONMENT FILES EXAMPLES" \
    "$(sed -n 's/^\.SH //p' "$page" | paste -sd ' ')"
check "version" "$("$kelvane" --version)" "kelvane $(sed -n 's/^\.TH .* "kelvane \([^"]*\)".*/\1/p' "$page")"

# The exit codes and the template search order, as --help gives them.
help_codes=$(sed -n '/^Exit status:/,$p' <<<"$help" | grep -o -E '^  [0-9]+' | tr -d ' ' | paste -sd ' ')
man_codes=$(tags '"EXIT STATUS"' | paste -sd ' ')
check "exit codes" "$help_codes" "$man_codes"
check "exit codes are 0 1 2" "0 1 2" "$help_codes"
for place in 'RZ31ST.bin beside the program' '$XDG_DATA_HOME/kelvane/RZ31ST.bin' \
             '/kelvane/RZ31ST.bin' '/usr/local/share:/usr/share'; do
    check "search order names $place" yes "$(section OPTIONS | grep -q -F -- "$place" && echo yes)"
done
for file in RZ31ST.bin ROM.BIN; do
    check "FILES names $file" 1 "$(tags FILES | grep -c -x -F "$file")"
done

# It renders without a complaint from the formatter.
if command -v groff >/dev/null; then
    complaints=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)
    check "groff warnings" "" "$complaints"
fi

finish
