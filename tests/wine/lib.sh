# Shared harness for tests that run our Windows programs under Wine.
#
# Source it from a bash test script, then:
#     wine_setup            # fresh prefix + virtual X server; cleans up on exit
#     wine_run prog.exe ... # runs a program in that prefix (with a time limit)
#     wine_add_drive e /some/dir PX4   # then wine_restart to make it seen
#     wine_screenshot out.png [WxH+X+Y]
#
# Every run owns one temporary folder (WINE_TEST_DIR) holding the prefix, the
# X server's display file and the wineserver's socket directory (TMPDIR points
# there), so cleanup removes exactly what this run made. Processes are ended by
# prefix (wineserver -k) and by pid (Xvfb), never by name, because other runs
# may be going on at the same time on the same machine.
#
# Needs: wine (32-bit), Xvfb, fonts-wine, fonts-wqy-microhei, ImageMagick's
# `import` for screenshots, and localedef for the private zh_CN.UTF-8 locale.

: "${WINE_TIMEOUT:=60}"

_wine_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_log() { printf 'wine-test: %s\n' "$*" >&2; }

# A UTF-8 Chinese locale, so that Chinese arguments survive the wine command
# line and Wine's code page is 936; compiled privately when the system has none.
_wine_locale() {
    if locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
        export LANG=zh_CN.UTF-8
    else
        local dir="$WINE_TEST_DIR/locale"
        mkdir -p "$dir"
        localedef -i zh_CN -f UTF-8 "$dir/zh_CN.UTF-8" 2>/dev/null || true
        export LOCPATH="$dir"
    fi
    # bash itself cannot load a private locale (LOCPATH reaches only the
    # programs it starts), so its warning about that is noise.
    { export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8; } 2>/dev/null
}

# The registry settings every prefix needs: a font that has Chinese glyphs
# behind the names our dialogs ask for, and a virtual desktop that draws
# title bars without a window manager.
_wine_registry() {
    local reg="$WINE_TEST_DIR/prefix.reg"
    {
        printf '\xff\xfe'
        iconv -f UTF-8 -t UTF-16LE <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"新宋体"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="800x600"
EOF
    } >"$reg"
    wine reg import "$(wine_path "$reg")" >/dev/null 2>&1
}

# Creates the run's folder, X server and prefix. Registers wine_cleanup on exit.
wine_setup() {
    WINE_TEST_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-wine.XXXXXX")
    export WINE_TEST_DIR
    trap wine_cleanup EXIT
    trap 'exit 130' INT TERM
    export TMPDIR="$WINE_TEST_DIR/tmp"
    mkdir -p "$TMPDIR"
    export WINEPREFIX="$WINE_TEST_DIR/prefix" WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    _wine_locale

    local displayfile="$WINE_TEST_DIR/display"
    Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp 9>"$displayfile" \
        >"$WINE_TEST_DIR/xvfb.log" 2>&1 &
    WINE_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -s "$displayfile" ] && break
        sleep 0.1
    done
    [ -s "$displayfile" ] || { wine_log "Xvfb did not start"; return 1; }
    export DISPLAY=":$(head -n1 "$displayfile")"

    timeout 120 wineboot --init >"$WINE_TEST_DIR/wineboot.log" 2>&1 ||
        { wine_log "wineboot failed"; return 1; }
    _wine_registry
    # Debian's Wine does not load its own fonts from /usr/share/wine/fonts;
    # without them captions and the close button draw wrong.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # The registry is written when the server ends; the next start reads it.
    wine_restart
}

# Ends every process of this prefix and waits for the server to save.
wine_restart() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

wine_cleanup() {
    local rc=$?
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wine_restart
    fi
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null || true
        wait "$WINE_XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "${WINE_TEST_DIR:-}" ] && [ -d "$WINE_TEST_DIR" ]; then
        if [ -n "${WINE_KEEP:-}" ]; then
            wine_log "kept $WINE_TEST_DIR"
        else
            rm -rf "$WINE_TEST_DIR"
        fi
    fi
    return $rc
}

# Runs a Windows program in the prefix and returns its exit code; a program
# that runs past WINE_TIMEOUT seconds counts as a failure (exit 124).
wine_run() {
    timeout "$WINE_TIMEOUT" wine "$@"
}

# Starts a Windows program in the background; its pid is left in WINE_BG_PID.
wine_start() {
    wine "$@" >"$WINE_TEST_DIR/bg-$#.log" 2>&1 &
    WINE_BG_PID=$!
}

# Makes `dir` drive `letter` (a-z) with volume label `label` (may be empty).
# Wine sees a new drive only after wine_restart.
wine_add_drive() {
    local letter=$1 dir=$2 label=${3-}
    ln -sfn "$dir" "$WINEPREFIX/dosdevices/${letter,,}:"
    if [ -n "$label" ]; then
        printf '%s\n' "$label" >"$dir/.windows-label"
    else
        rm -f "$dir/.windows-label"
    fi
}

# The Windows form of a Unix path (Z:\...).
wine_path() {
    winepath -w "$1" 2>/dev/null
}

# A screenshot of the virtual screen, cropped when a geometry WxH+X+Y is given.
wine_screenshot() {
    local out=$1 crop=${2-}
    if [ -n "$crop" ]; then
        import -display "$DISPLAY" -window root -crop "$crop" +repage "$out"
    else
        import -display "$DISPLAY" -window root "$out"
    fi
}

# A test's verdict helpers: count failures, print each, fail at the end.
WINE_FAILURES=0
expect_eq() {  # name expected actual
    if [ "$2" == "$3" ]; then
        printf 'ok   %s\n' "$1"
    else
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        WINE_FAILURES=$((WINE_FAILURES + 1))
    fi
}
expect_true() {  # name command...
    local name=$1
    shift
    if "$@"; then
        printf 'ok   %s\n' "$name"
    else
        printf 'FAIL %s\n' "$name"
        WINE_FAILURES=$((WINE_FAILURES + 1))
    fi
}
wine_finish() {
    if [ "$WINE_FAILURES" -ne 0 ]; then
        printf '%d check(s) failed\n' "$WINE_FAILURES"
        exit 1
    fi
    printf 'all checks passed\n'
}
