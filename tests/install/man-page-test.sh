#!/usr/bin/env bash
# The man page stays true to --help: every option of one is in the other, the
# version is the program's, and the sections a reader looks for are there.
# With a locale (zh_CN.UTF-8) the page is the Chinese one, against the
# Chinese --help.
set -u
kelvane=$1 page=$2 locale=${3:-C}
{ export LC_ALL=$locale; } 2>/dev/null  # bash may lack the locale; the program needs only the name
if [ "$locale" = C ]; then
    sections=(NAME SYNOPSIS DESCRIPTION OPTIONS '"EXIT STATUS"' ENVIRONMENT FILES EXAMPLES)
    exit_heading="Exit status:" search_heading="Template search order"
    places=('RZ31ST.bin beside the program' '$XDG_DATA_HOME/kelvane/RZ31ST.bin' '/kelvane/RZ31ST.bin'
            '/usr/local/share:/usr/share')
else
    sections=(名称 摘要 描述 选项 '"退出状态"' 环境 文件 示例)
    exit_heading="退出状态:" search_heading="模板查找顺序"
    places=('程序旁的 RZ31ST.bin' '$XDG_DATA_HOME/kelvane/RZ31ST.bin' '/kelvane/RZ31ST.bin'
            '/usr/local/share:/usr/share')
fi

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
man_options=$(section "${sections[3]}" | options_of)
check "some options in --help" yes "$([ "$(wc -l <<<"$help_options")" -ge 10 ] && echo yes)"
check "options: --help against the man page" "$help_options" "$man_options"
for option in $help_options; do
    # Each one as the tag of its own paragraph, not only in passing.
    tagged=$(tags "${sections[3]}" | options_of | grep -c -x -- "$option")
    check "tagged paragraph for $option" 1 "$tagged"
done

check "sections in order" "${sections[*]}" \
    "$(sed -n 's/^\.SH //p' "$page" | paste -sd ' ')"
check "version" "$("$kelvane" --version)" "kelvane $(sed -n 's/^\.TH .* "kelvane \([^"]*\)".*/\1/p' "$page")"

# The exit codes and the template search order, as --help gives them.
help_codes=$(sed -n "/^$exit_heading/,\$p" <<<"$help" | grep -o -E '^  [0-9]+' | tr -d ' ' | paste -sd ' ')
man_codes=$(tags "${sections[4]}" | paste -sd ' ')
check "exit codes" "$help_codes" "$man_codes"
check "exit codes are 0 1 2" "0 1 2" "$help_codes"
for place in "${places[@]}"; do
    check "search order names $place" yes "$(section "${sections[3]}" | grep -q -F -- "$place" && echo yes)"
done
check "search order under its heading" 1 "$(grep -c -F "$search_heading" "$page")"
for file in RZ31ST.bin ROM.BIN; do
    check "FILES names $file" 1 "$(tags "${sections[6]}" | grep -c -x -F "$file")"
done

# It renders without a complaint from the formatter.
if command -v groff >/dev/null; then
    # -k: UTF-8 input, as man reads it. Chinese runs without spaces leave
    # groff no place to break a line, which it says, harmlessly.
    quiet=()
    [ "$locale" = C ] || quiet=(-Wbreak)
    complaints=$(LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww "${quiet[@]}" -z "$page" 2>&1)
    check "groff warnings" "" "$complaints"
fi

finish
