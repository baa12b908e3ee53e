#!/usr/bin/env bash
# The dialog as built: template 102 live (with its tab order, centred) and in
# the resources, the first focus on Browse, the About box from the system menu
# with the program's version, centred on the dialog, the title bar's icon,
# minimising, the text beside 自动编排 that ticks it, and Esc.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/kelvane.sh"

wine_setup
kelvane_start

layout=$(drv layout "$(wine_path "$KELVANE_APP/Kelvane.exe")")
rc=$?
printf '%s\n' "$layout"
expect_eq "every layout and resource check" 0 "$rc"
expect_eq "the first focus is on Browse" "focus: 1001" "$(drv focus)"

note=$(drv click-note)
expect_eq "a click on the text beside 自动编排 ticks it" "check 1006 before: off
check 1006 after: on" "$note"
expect_eq "a second click clears it" "check 1006 after: off" "$(drv click-note | tail -n1)"


shot="$WINE_TEST_DIR/dialog.png"
kelvane_screenshot "$shot"
# The title bar's icon is our small icon, whose tile is #1F5F8F.
tile=$(convert "$shot" -crop 20x20+0+0 +repage txt:- | grep -ci '#1F5F8F')
expect_true "the title bar shows the program's icon ($tile tile pixels)" test "$tile" -ge 30

expect_eq "system menu opens" "system menu open" "$(drv sysmenu)"
wine_screenshot "$WINE_TEST_DIR/menu.png"
kelvane_keep "$WINE_TEST_DIR/menu.png" system-menu.png

# The About box's version is the command line's and the version block's
# (the layout checks the block against 1.0.0.1).
version=$(wine_run "$KELVANE_CLI" --version | tr -d '\r')
expect_eq "the command line's version" "kelvane 1.0.0.1" "$version"
about=$(drv about)
expect_eq "About box from the system menu" "关于 kelvane
about centred on the dialog: yes
about item: -1 (icon)
about item: -1 $version 版
about item: -1 MIDI 音乐转换程序
about item: 1 确定
about closed" "$(sed 's/^about: //' <<<"$about")"
expect_eq "the dialog is still there after the About box" 0 "$(drv rect >/dev/null; echo $?)"

expect_eq "a minimise box, and the dialog minimises and comes back" "minimize box: yes
minimized: yes
restored: yes" "$(drv minimize)"

expect_eq "Esc ends the program when no run goes" "exited" "$(drv escape)"
wine_finish
