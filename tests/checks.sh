# Sourced by the script tests: `check NAME EXPECTED ACTUAL` counts and shows
# each comparison, and `finish` prints the closing line and sets the status.
failures=0 checks=0

check() {  # check NAME EXPECTED ACTUAL
    checks=$((checks + 1))
    if [ "$2" != "$3" ]; then
        failures=$((failures + 1))
        printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
    fi
}

finish() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}
