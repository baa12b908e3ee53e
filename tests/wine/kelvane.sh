# Helpers for the tests of Kelvane.exe, on top of lib.sh (source that first).
# Environment from ctest: KELVANE_WIN_BUILD (the cross build), KELVANE_DRIVER
# (driver.exe), KELVANE_TEST_OUT (where screenshots are kept).

KELVANE_EXE="$KELVANE_WIN_BUILD/app/win/Kelvane.exe"
KELVANE_CLI="$KELVANE_WIN_BUILD/app/cli/kelvane-cli.exe"
_kelvane_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The driver's findings, one per line.
drv() {
    wine_run "$KELVANE_DRIVER" "$@" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Makes the test files (six.mid, seven.mid, three.mid, RZ31ST.bin, ...) in $WINE_TEST_DIR/files.
kelvane_files() {
    KELVANE_FILES="$WINE_TEST_DIR/files"
    python3 "$_kelvane_dir/make-test-files.py" "$KELVANE_FILES"
}

# Installs the program (and the template, when the files exist) in its own
# folder, starts it and waits for its dialog.
kelvane_start() {
    KELVANE_APP="$WINE_TEST_DIR/app"
    mkdir -p "$KELVANE_APP"
    cp "$KELVANE_EXE" "$KELVANE_APP/Kelvane.exe"
    [ -n "${KELVANE_FILES:-}" ] && cp "$KELVANE_FILES/RZ31ST.bin" "$KELVANE_APP/"
    (cd "$KELVANE_APP" && wine_start "$KELVANE_APP/Kelvane.exe")
    drv rect >/dev/null || { wine_log "Kelvane.exe did not show its dialog"; return 1; }
}

# The dialog's picture, cropped to its window.
kelvane_screenshot() {
    wine_screenshot "$1" "$(drv rect)"
}

# Keeps a copy of a picture for the person reading the test run.
kelvane_keep() {
    [ -n "${KELVANE_TEST_OUT:-}" ] && cp "$1" "$KELVANE_TEST_OUT/$2"
    return 0
}

# The value after "key: " in the driver's output.
field() {  # key output
    sed -n "s/^$1: //p" <<<"$2"
}
