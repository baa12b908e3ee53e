#!/usr/bin/env bash
# The bash completion: every option of --help, MIDI files and folders for
# arguments, any file after an option that takes one.
set -u
kelvane=$1 completion=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/../checks.sh"

# shellcheck source=/dev/null
source "$completion"
complete_line() {  # complete_line WORD...: the candidates for the last word, sorted
    COMP_WORDS=(kelvane "$@")
    COMP_CWORD=$#
    _kelvane
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | paste -sd ' '
}

check "registered for kelvane" "complete -F _kelvane kelvane" "$(complete -p kelvane)"
help_options=$("$kelvane" --help | grep -o -E -- '--[[:alpha:]][[:alnum:]-]*' | LC_ALL=C sort -u | paste -sd ' ')
check "every long option of --help" "$help_options" "$(complete_line --)"
check "options by prefix" "--report --report-json --rom" "$(complete_line --r)"

cd "$work"
mkdir -p songs "old songs"
touch song.mid TUNE.MID long.midi karaoke.kar Karaoke.Kar notes.txt ROM.BIN songs/a.mid -- --rare.mid
check "MIDI files and folders" "--rare.mid Karaoke.Kar TUNE.MID karaoke.kar long.midi old songs song.mid songs" \
    "$(complete_line '')"
check "by prefix" "song.mid songs" "$(complete_line so)"
check "inside a folder" "songs/a.mid" "$(complete_line songs/)"
check "after another option" "song.mid songs" "$(complete_line --play so)"
check "any file after --rom" "ROM.BIN" "$(complete_line --rom R)"
check "any file after --template=" "notes.txt" "$(complete_line --template = n)"
check "MIDI files after --save-arranged" "" "$(complete_line --save-arranged n)"
check "nothing offered for a name" "" "$(complete_line --name s)"
check "nothing offered for a number of jobs" "" "$(complete_line -j s)$(complete_line --jobs s)"
check "a dash word after -- is a file" "--rare.mid" "$(complete_line -- --r)"

finish
