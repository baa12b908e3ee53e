#!/usr/bin/env bash
# The dialog as built: template 102 live (with its tab order, centred) and in
# the resources, the first focus on Browse, the About box from the system menu
# with the program's version, centred on the dialog, the title bar's icon,
# minimising, the texts beside 自动编排 and 和弦琶音 that tick them, 和弦琶音
# greyed while 自动编排 is clear, and Esc.
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

# 和弦琶音 shapes an arrangement only: while 自动编排 is clear it is greyed,
# and neither a click on its text nor Tab reaches it.
expect_eq "和弦琶音 is greyed while 自动编排 is clear" "check 1009: off (greyed)" "$(drv check 1009 on)"
expect_eq "a click on its text leaves it then" "check 1009 before: off
check 1009 after: off" "$(drv click-note 1010 1009)"
drv check 1006 on >/dev/null
expect_eq "with 自动编排 ticked, Tab reaches 和弦琶音 after the first row" \
    "tabs: 1000 1001 1 1005 2 1006 1008 1009" "$(drv tabs)"
expect_eq "a click on the text beside 和弦琶音 ticks it" "check 1009 before: off
check 1009 after: on" "$(drv click-note 1010 1009)"
expect_eq "Alt+R clears it" "off" "$(field 'check 1009' "$(drv key r)")"
drv check 1009 on >/dev/null
expect_eq "clearing 自动编排 greys 和弦琶音 and keeps its tick" "check 1009: on (greyed)" \
    "$(drv check 1006 off >/dev/null; drv check 1009 off)"
expect_eq "ticking 自动编排 again brings it back, ticked" "check 1009: on" \
    "$(drv check 1006 on >/dev/null; drv check 1009 on)"
drv check 1006 off >/dev/null


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
